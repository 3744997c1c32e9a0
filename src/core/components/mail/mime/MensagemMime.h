#pragma once
// Composes one RFC 5322 message: the headers, a UTF-8 text body, optionally an HTML rendering of
// it (the two as multipart/alternative) and one workbook attached. The same bytes go to the SMTP
// server, to the mail APIs or into a pickup-folder .eml file.
//
//   mensagem::ConteudoMensagem c;
//   c.remetente = {"", "rel@emp.pt"};
//   c.para = mensagem::LerEnderecos("adm@emp.pt");
//   c.assunto = "Mapas (07-12-2026) - EMP1";
//   c.corpo = "Informação relativa ao dia 07-12-2026";
//   c.nomeAnexo = "Mapas_Adm_20261207230459.xlsx"; c.bytesAnexo = bytes;
//   c.data = relogio.Agora(); c.unico = "4711.9f3a0c...";
//   std::string texto = mensagem::ComporMensagem(c);   // CRLF line ends throughout
#include <string>
#include <vector>

#include "MensagemEnderecos.h"
#include "data/DataHora.h"

namespace quorvelanti::mensagem {

struct ConteudoMensagem {
    Endereco remetente;
    std::vector<Endereco> para;
    std::vector<Endereco> copia;  // blind copies never appear in the text
    std::string assunto;
    std::string corpo;
    std::string html;       // "" for a message of text alone
    std::string nomeAnexo;  // "" for a message without attachment
    std::string bytesAnexo;
    int prioridade = 0;  // 0 normal, above 0 high, below 0 low
    DataHora data;       // local time of the message
    std::string unico;   // token that makes the Message-ID and the MIME boundary unique
};

std::string ComporMensagem(const ConteudoMensagem& conteudo);

// The message's Message-ID header value, "<yyyymmddhhmmss.unico@domain of the sender>".
std::string IdMensagem(const ConteudoMensagem& conteudo);

// "Mon, 07 Dec 2026 23:04:59 +0000", with the local offset of that moment.
std::string DataRfc5322(const DataHora& data);

}  // namespace quorvelanti::mensagem
