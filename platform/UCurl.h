#pragma once
// One transfer of libcurl run with the windows painted: the download and the
// FTP client share it. Internal to the platform layer.
#include <curl/curl.h>
#include <functional>

// Runs the transfer set on `curl` through a multi handle of its own,
// repainting between rounds (user input held back). `ronda`, when given,
// runs after every round and stops the transfer by returning false. Returns
// the transfer's result; CURLE_FAILED_INIT when it could not start or did
// not end.
CURLcode TransfiereConPintado(CURL* curl, const std::function<bool()>& ronda = {});
