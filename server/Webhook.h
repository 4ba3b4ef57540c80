// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>

// Posting a message to a chat service's incoming webhook, through libcurl.

// The most tries of one post.
inline constexpr int WebhookTries = 3;

// The JSON body of `message` that the common chat services take: {"content": …, "text": …}.
std::string WebhookBody(const std::string& message);

// Posts `body` as JSON to `url` (http or https), trying again after a failure that may pass (no connection, a
// time-out, a 5xx or 429 answer) up to WebhookTries times in all, the whole within `limit`. Nullopt when the
// service took it, else why not ("HTTP 500", the library's reason), with how many tries were made.
std::optional<std::string> PostWebhook(const std::string& url, const std::string& body,
                                       std::chrono::milliseconds limit);
