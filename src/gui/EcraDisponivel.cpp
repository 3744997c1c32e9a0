#include "EcraDisponivel.h"

#ifdef _WIN32

namespace quorvelanti::gui {

// Every Windows session has a desktop to draw on, a service's too (unseen there).
bool EcraDisponivel() { return true; }

}  // namespace quorvelanti::gui

#else

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace quorvelanti::gui {

namespace {

// The platform's name as Qt reads it: the first of a ';' list, without its ':' options.
std::string plataforma()
{
    const char* valor = std::getenv("QT_QPA_PLATFORM");
    std::string nome = valor ? valor : "";
    nome = nome.substr(0, nome.find(';'));
    nome = nome.substr(0, nome.find(':'));
    return nome.empty() ? "xcb" : nome;
}

// Connects and lets go at once: the only sure test that an X server is there and lets us in.
bool servidorX()
{
    xcb_connection_t* ligacao = xcb_connect(nullptr, nullptr);
    const bool ligado = xcb_connection_has_error(ligacao) == 0;
    xcb_disconnect(ligacao);
    return ligado;
}

}  // namespace

bool EcraDisponivel()
{
    const std::string nome = plataforma();
    if (nome == "xcb") return servidorX();
    if (nome.rfind("wayland", 0) == 0) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        return wayland && *wayland;
    }
    return true;
}

}  // namespace quorvelanti::gui

#endif
