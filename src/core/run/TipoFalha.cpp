#include "TipoFalha.h"

namespace quorvelanti {

TipoFalha TipoDe(long numero)
{
    switch (numero) {
    case erros::CorridaInterrompida: return TipoFalha::Interrupcao;
    case erros::LogFechado:
    case erros::RegistoEntregasFalhou: return TipoFalha::Registo;
    case erros::ExecucaoEmCurso: return TipoFalha::ExecucaoEmCurso;
    case erros::LivroFalhou: return TipoFalha::Livro;
    case erros::MoedaForaDosLimites: return TipoFalha::Dados;
    case erros::CorreioIncerto: return TipoFalha::EntregaIncerta;
    default: return TipoFalha::Empresa;
    }
}

bool TerminaACorrida(TipoFalha tipo) { return tipo == TipoFalha::Interrupcao || tipo == TipoFalha::Registo; }

}  // namespace quorvelanti
