#include "wifi/CameraRequest.h"

#include <curl/curl.h>

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

} // namespace

bool SendCameraGet(const std::string& url) {
    CURL* curl = curl_easy_init();
    if (!curl)
        return true; // no request could be made; nothing is reported, as nothing was sent
    curl_easy_setopt(curl, CURLOPT_USERPWD, CAMERA_USERPWD);
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    // The camera is on the local network: a proxy of the environment is never asked.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kCameraRequestTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kCameraRequestTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &DiscardBody);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK;
}

void EndCameraRequests() {
    curl_global_cleanup();
}
