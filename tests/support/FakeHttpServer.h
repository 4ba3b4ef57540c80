// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A chat service's webhook stand-in: an HTTP server on a free TCP port of 127.0.0.1, served by a thread of its own,
// that reads each request whole (headers and a body of Content-Length bytes), records it, and answers with
// `status`, or never answers at all (it keeps the connection open, as a service that hangs does). Stops when
// destroyed.
class FakeHttpServer {
public:
    explicit FakeHttpServer(std::optional<int> status);
    ~FakeHttpServer();
    FakeHttpServer(const FakeHttpServer&) = delete;
    FakeHttpServer& operator=(const FakeHttpServer&) = delete;

    // "http://127.0.0.1:PORT/hook".
    std::string Url() const;
    // The requests read so far: the request line and headers, a blank line, then the body.
    std::vector<std::string> Requests() const;
    // The bodies of the requests read so far.
    std::vector<std::string> Bodies() const;

private:
    void Serve();

    std::optional<int> status_;
    int socket_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<int> held_; // the connections of requests never answered
    std::thread thread_;    // last, so that it starts once everything above exists
};
