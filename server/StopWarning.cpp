// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StopWarning.h"

#include "server/Rcon.h"
#include "server/StatusReply.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <thread>

namespace {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

constexpr milliseconds Marks[] = {30min, 15min, 10min, 5min, 1min, 30s, 10s};

struct Unit {
    std::string_view name;
    milliseconds length;
};
constexpr Unit Units[] = {{"h", 1h}, {"min", 1min}, {"m", 1min}, {"s", 1s}};

// The longest number of a duration's part: beyond it, a count of milliseconds would overflow.
constexpr double LargestNumber = 1e9;

bool Usable(double number) {
    return std::isfinite(number) && number >= 0 && number <= LargestNumber;
}

// "N NAME" or "N NAMEs".
std::string Counted(long long count, const char* name) {
    return std::to_string(count) + " " + name + (count == 1 ? "" : "s");
}

} // namespace

std::optional<milliseconds> ParseDuration(std::string_view text) {
    // A bare number is seconds.
    double seconds = 0;
    if (const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        error == std::errc() && end == text.data() + text.size())
        return Usable(seconds) ? std::optional(milliseconds(static_cast<long long>(seconds * 1000))) : std::nullopt;
    milliseconds total{0};
    while (!text.empty()) {
        double number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || !Usable(number))
            return std::nullopt;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        const auto unit = std::ranges::find_if(Units, [&](const Unit& each) { return text.starts_with(each.name); });
        if (unit == std::end(Units))
            return std::nullopt;
        text.remove_prefix(unit->name.size());
        total += milliseconds(static_cast<long long>(number * static_cast<double>(unit->length.count())));
    }
    return total;
}

std::vector<milliseconds> WarningPoints(milliseconds warning) {
    std::vector<milliseconds> points;
    if (warning > milliseconds(0))
        points.push_back(warning);
    for (const milliseconds mark : Marks)
        if (mark < warning)
            points.push_back(mark);
    return points;
}

std::string TimeLeftText(milliseconds left) {
    const long long seconds = (left.count() + 500) / 1000;
    if (seconds > 0 && seconds % 3600 == 0)
        return Counted(seconds / 3600, "hour");
    if (seconds > 0 && seconds % 60 == 0)
        return Counted(seconds / 60, "minute");
    return Counted(seconds, "second");
}

std::string WarningCommand(const std::string& message, milliseconds left) {
    std::string text = message;
    const std::string time = TimeLeftText(left);
    for (std::size_t at = text.find("{time}"); at != std::string::npos; at = text.find("{time}", at + time.size()))
        text.replace(at, 6, time);
    std::ranges::replace(text, '"', '\'');
    return "say \"" + text + "\"";
}

void WarnPlayers(const std::string& host, int port, const std::string& password, milliseconds warning,
                 const std::string& message, const LogSink& log) {
    const auto stopAt = std::chrono::steady_clock::now() + warning;
    for (const milliseconds left : WarningPoints(warning)) {
        std::this_thread::sleep_until(stopAt - left);
        const std::string command = WarningCommand(message, left);
        const RconAnswer answer = SendRcon(host, port, password, command);
        log(answer.reply ? "Players warned: " + command
                         : "Players not warned (" + CleanGameText(answer.error) + "): " + command);
    }
    std::this_thread::sleep_until(stopAt);
}
