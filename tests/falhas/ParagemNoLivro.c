// Preloaded into the program (LD_PRELOAD) by a scene of the fault suite: the process stops itself
// (SIGSTOP) right after it makes its first memory file, that of its first workbook for a message,
// once the workbook's folders are chosen and before any cell is written, so the test can change
// the world at that very point and then let it go on (SIGCONT).
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>

typedef int (*CriarMemoria)(const char*, unsigned int);

int memfd_create(const char* nome, unsigned int opcoes)
{
    static int parou = 0;
    const CriarMemoria original = (CriarMemoria)dlsym(RTLD_NEXT, "memfd_create");
    const int descritor = original(nome, opcoes);
    if (!parou) {
        parou = 1;
        raise(SIGSTOP);
    }
    return descritor;
}
