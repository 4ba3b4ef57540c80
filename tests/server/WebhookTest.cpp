// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Webhook.h"

#include "support/FakeHttpServer.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(WebhookTest, ThePostIsJsonThatBothCommonChatServicesRead) {
    const FakeHttpServer service(204);
    const std::string message = "Server main on 127.0.0.1:28960 is \"ready\": mp_harbor\\dm\n\t1 player, Café";
    EXPECT_EQ(PostWebhook(service.Url(), WebhookBody(message), 5s), std::nullopt);
    ASSERT_EQ(service.Requests().size(), 1u);
    const std::string request = service.Requests().front();
    EXPECT_EQ(request.rfind("POST /hook HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nContent-Type: application/json\r\n"), std::string::npos) << request;
    QJsonParseError error{};
    const QJsonObject body =
        QJsonDocument::fromJson(QByteArray::fromStdString(service.Bodies().front()), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << service.Bodies().front();
    EXPECT_EQ(body[QStringLiteral("content")].toString().toStdString(), message);
    EXPECT_EQ(body[QStringLiteral("text")].toString().toStdString(), message);
}

TEST(WebhookTest, AFailureThatMayPassIsTriedAgainAndEveryFailureSaysWhy) {
    struct Case {
        std::optional<int> status;
        std::size_t tries;
        const char* error;
    };
    const Case cases[] = {
        {500, 3, "HTTP 500 (3 tries)"},
        {429, 3, "HTTP 429 (3 tries)"},
        {404, 1, "HTTP 404 (1 try)"},
        // A service that never answers costs the time limit once.
        {std::nullopt, 1, " (1 try)"},
    };
    for (const auto& [status, tries, error] : cases) {
        SCOPED_TRACE(status.value_or(0));
        const FakeHttpServer service(status);
        const auto failure = PostWebhook(service.Url(), WebhookBody("hung"), 2s);
        ASSERT_TRUE(failure);
        EXPECT_TRUE(failure->ends_with(error)) << *failure;
        EXPECT_EQ(service.Requests().size(), tries);
    }
    // Nobody listens: tried again, and the reason is the library's.
    std::string url;
    {
        const FakeHttpServer gone(200);
        url = gone.Url();
    }
    const auto refused = PostWebhook(url, WebhookBody("hung"), 5s);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->ends_with("(3 tries)")) << *refused;
    // Only http and https.
    const auto file = PostWebhook("file:///dev/null", WebhookBody("hung"), 5s);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->ends_with("(1 try)")) << *file;
}

} // namespace
