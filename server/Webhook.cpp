// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Webhook.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The pause before the second try, doubled before each further one.
constexpr milliseconds FirstPause{250};

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\n':
            json += "\\n";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                json += escaped;
            } else {
                json += c;
            }
        }
    }
    return json + "\"";
}

// The answer's body is not needed.
std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

struct Try {
    std::string error; // empty when the service took the post
    bool mayPass = false;
};

Try PostOnce(const std::string& url, const std::string& body, milliseconds timeout) {
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        return {"libcurl cannot start a transfer", false};
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(nullptr, "Content-Type: application/json"), curl_slist_free_all);
    char reason[CURL_ERROR_SIZE] = {};
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<long long>(timeout.count(), 1)));
    // The transfer runs on a thread beside the supervision: no signal may end it.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Discard);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "quendry");
    const CURLcode result = curl_easy_perform(handle);
    if (result != CURLE_OK)
        return {*reason ? reason : curl_easy_strerror(result),
                result == CURLE_COULDNT_CONNECT || result == CURLE_OPERATION_TIMEDOUT ||
                    result == CURLE_COULDNT_RESOLVE_HOST || result == CURLE_GOT_NOTHING || result == CURLE_RECV_ERROR ||
                    result == CURLE_SEND_ERROR};
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 200 && status < 300)
        return {};
    return {"HTTP " + std::to_string(status), status >= 500 || status == 429};
}

} // namespace

std::string WebhookBody(const std::string& message) {
    const std::string text = JsonString(message);
    return "{\"content\":" + text + ",\"text\":" + text + "}";
}

std::optional<std::string> PostWebhook(const std::string& url, const std::string& body, milliseconds limit) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    const Clock::time_point deadline = Clock::now() + limit;
    milliseconds pause = FirstPause;
    Try last;
    int tries = 0;
    while (tries < WebhookTries) {
        ++tries;
        last = PostOnce(url, body, std::chrono::duration_cast<milliseconds>(deadline - Clock::now()));
        if (last.error.empty())
            return std::nullopt;
        if (!last.mayPass || Clock::now() + pause >= deadline)
            break;
        std::this_thread::sleep_for(pause);
        pause *= 2;
    }
    return last.error + " (" + std::to_string(tries) + (tries == 1 ? " try)" : " tries)");
}
