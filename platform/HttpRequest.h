// The request settings both programs use towards the update server, on libcurl easy handles:
// agent "Vendrel", no proxy, no caching, "Accept: */*", HTTP/1.1, redirects followed within
// http and https.
#pragma once

#include <string>

typedef void CURL;
struct curl_slist;

namespace platform {

// Sets up the library once for the process; safe from any thread.
void InitHttp();

// Applies the shared settings and a connect time-out. `headers` receives the header list, which
// must outlive the transfer (free it with curl_slist_free_all). False when the list could not
// be made.
bool ApplyRequestSettings(CURL* curl, long connectTimeoutMs, curl_slist** headers);

// Escapes the bytes a URL cannot carry as they are (blanks, controls, non-ASCII, quotes,
// braces...) as %XX; "%" stays so escapes already present survive. Backslashes become "/".
std::string EscapeUrl(const std::string& url);

// Escapes a name or relative path of an update list completely for a URL path: every byte but
// letters, digits and "-._~" ("%", "?" and "#" included, so a file name reaches the server as
// itself); backslashes, which separate the list's levels, become "/".
std::string EscapeUrlPath(const std::string& path);

}  // namespace platform
