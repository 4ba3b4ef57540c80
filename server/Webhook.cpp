// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Webhook.h"

#include "platform/JsonText.h"
#include "platform/SharedLibrary.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The pause before the second try, doubled before each further one.
constexpr milliseconds FirstPause{250};

// libcurl and the many libraries it brings (TLS, Kerberos, LDAP, ...) are loaded at the first post only: every
// other start of the program, a status query above all, would pay for loading them. The functions keep the
// header's types, so that a call the header would refuse is refused here too.
struct Curl {
    decltype(&curl_global_init) globalInit;
    decltype(&curl_easy_init) init;
    decltype(&curl_easy_setopt) setopt;
    decltype(&curl_easy_perform) perform;
    decltype(&curl_easy_getinfo) getinfo;
    decltype(&curl_easy_strerror) strerror;
    decltype(&curl_easy_cleanup) cleanup;
    decltype(&curl_slist_append) slistAppend;
    decltype(&curl_slist_free_all) slistFreeAll;
};

// The library of either build Debian ships, OpenSSL's or GnuTLS'.
constexpr const char* CurlLibraries[] = {"libcurl.so.4", "libcurl-gnutls.so.4"};

// The loaded library, initialised once; null with why not in `error`.
const Curl* LoadCurl(std::string& error) {
    static std::once_flag loaded;
    static std::optional<Curl> curl;
    static std::string loadError;
    std::call_once(loaded, [] {
        std::optional<SharedLibrary> library;
        for (const char* name : CurlLibraries)
            if ((library = SharedLibrary::Load(name, loadError)))
                break;
        if (!library) {
            loadError = "the webhook needs libcurl (install libcurl4): " + loadError;
            return;
        }
        const Curl functions{library->Resolve<decltype(Curl::globalInit)>("curl_global_init"),
                             library->Resolve<decltype(Curl::init)>("curl_easy_init"),
                             library->Resolve<decltype(Curl::setopt)>("curl_easy_setopt"),
                             library->Resolve<decltype(Curl::perform)>("curl_easy_perform"),
                             library->Resolve<decltype(Curl::getinfo)>("curl_easy_getinfo"),
                             library->Resolve<decltype(Curl::strerror)>("curl_easy_strerror"),
                             library->Resolve<decltype(Curl::cleanup)>("curl_easy_cleanup"),
                             library->Resolve<decltype(Curl::slistAppend)>("curl_slist_append"),
                             library->Resolve<decltype(Curl::slistFreeAll)>("curl_slist_free_all")};
        if (!functions.globalInit || !functions.init || !functions.setopt || !functions.perform || !functions.getinfo ||
            !functions.strerror || !functions.cleanup || !functions.slistAppend || !functions.slistFreeAll) {
            loadError = "the webhook cannot use libcurl: a function of its interface is missing";
            return;
        }
        functions.globalInit(CURL_GLOBAL_DEFAULT);
        curl = functions;
    });
    error = loadError;
    return curl ? &*curl : nullptr;
}

// The answer's body is not needed.
std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

struct Try {
    std::string error; // empty when the service took the post
    bool mayPass = false;
};

Try PostOnce(const Curl& lib, const std::string& url, const std::string& body, milliseconds timeout) {
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(lib.init(), lib.cleanup);
    if (!curl)
        return {"libcurl cannot start a transfer", false};
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        lib.slistAppend(nullptr, "Content-Type: application/json"), lib.slistFreeAll);
    char reason[CURL_ERROR_SIZE] = {};
    CURL* handle = curl.get();
    lib.setopt(handle, CURLOPT_URL, url.c_str());
    lib.setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    lib.setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    lib.setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
    lib.setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    lib.setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<long long>(timeout.count(), 1)));
    // The transfer runs on a thread beside the supervision: no signal may end it.
    lib.setopt(handle, CURLOPT_NOSIGNAL, 1L);
    lib.setopt(handle, CURLOPT_WRITEFUNCTION, Discard);
    lib.setopt(handle, CURLOPT_ERRORBUFFER, reason);
    lib.setopt(handle, CURLOPT_USERAGENT, "quendry");
    const CURLcode result = lib.perform(handle);
    if (result != CURLE_OK)
        return {*reason ? reason : lib.strerror(result),
                result == CURLE_COULDNT_CONNECT || result == CURLE_OPERATION_TIMEDOUT ||
                    result == CURLE_COULDNT_RESOLVE_HOST || result == CURLE_GOT_NOTHING || result == CURLE_RECV_ERROR ||
                    result == CURLE_SEND_ERROR};
    long status = 0;
    lib.getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
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
    std::string unusable;
    const Curl* curl = LoadCurl(unusable);
    if (!curl)
        return unusable;
    const Clock::time_point deadline = Clock::now() + limit;
    milliseconds pause = FirstPause;
    Try last;
    int tries = 0;
    while (tries < WebhookTries) {
        ++tries;
        last = PostOnce(*curl, url, body, std::chrono::duration_cast<milliseconds>(deadline - Clock::now()));
        if (last.error.empty())
            return std::nullopt;
        if (!last.mayPass || Clock::now() + pause >= deadline)
            break;
        std::this_thread::sleep_for(pause);
        pause *= 2;
    }
    return last.error + " (" + std::to_string(tries) + (tries == 1 ? " try)" : " tries)");
}
