#pragma once
// Private to the mail folder: what its two libcurl users (the SMTP connection and the token
// client) share, so both free their handles, notice a signal and judge a failed connection alike.
//
//   std::unique_ptr<CURL, curl::Libertar> c(curl_easy_init());
//   curl_easy_setopt(c.get(), CURLOPT_XFERINFOFUNCTION, curl::Progresso);
//   if (curl::FalhaDeLigacao(codigo)) ... worth another try
#include <curl/curl.h>

#include "data/Interrupcao.h"

namespace quorvelanti::curl {

struct Libertar {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// Called about once a second even while the server keeps silent, so a signal stops the
// transfer at once instead of after the whole timeout.
inline int Progresso(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return Interrupcao::Sinal() != 0 ? 1 : 0;
}

// The server could not be reached, or did not answer in time: it may be there at the next try.
inline bool FalhaDeLigacao(CURLcode c)
{
    return c == CURLE_COULDNT_CONNECT || c == CURLE_COULDNT_RESOLVE_HOST || c == CURLE_OPERATION_TIMEDOUT;
}

}  // namespace quorvelanti::curl
