#pragma once
// What the core asks of its front end (the window, or the headless entry point).
#include <string>

namespace quorvelanti {

// Receives each progress line of a run (the window's progress list, or stdout).
class SaidaProgresso {
public:
    virtual ~SaidaProgresso() = default;
    virtual void AddLista(const std::string& Texto) = 0;
    // A warning that is no progress line (headless: stderr); by default it joins the list.
    virtual void Aviso(const std::string& texto) { AddLista(texto); }
};

// "Let the window process its pending events once"; does nothing headless.
class BombaEventos {
public:
    virtual ~BombaEventos() = default;
    virtual void ProcessarEventos() = 0;
};

}  // namespace quorvelanti
