// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the game's dedicated server, as the tests start it through a Run: it opens its UDP socket on
// 127.0.0.1 (or its net_ip) at the port its command line sets ("+set net_port N", else 28960) before anything
// else, taking the next of ten ports when one is held, and never reads a cfg file, as the real engine opens its
// socket before it executes any. It answers "getstatus" with a status reply, as the engine does a few times a second
// at most for one address and about ten times a second in all, whoever asks; its remote console ("rcon PASSWORD
// COMMAND") answers each address up to ten times a second. It runs until a signal ends it.
//
// Its own options come before the engine's words:
//   --reply FILE        answer with the datagram in FILE (a recorded reply) instead of its own
//   --never-answer      open the socket but never answer (an engine that could not load its map)
//   --answer-for SEC    stop answering that long after the socket was opened
//   --record FILE       once the socket is open, write FILE whole: process id, working folder, port, then each
//                       engine word, one a line
//   --term-exit CODE    end with CODE on SIGTERM (engines differ); without it SIGTERM ends it as a signal does
//   --ignore-term       ignore SIGTERM (only SIGKILL ends it)
//   --rcon-password PW  the remote console's password (the engine reads it from a cfg file); without it every
//                       rcon command is refused with "No rconpassword set on the server."
//   --rcon-log FILE     append each command the remote console took to FILE, one a line, after the milliseconds
//                       since the socket was opened
//
// SIGUSR1 makes it stop answering status queries (an engine busy with a map change), SIGUSR2 answer again.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The engine drops status queries of one address beyond this many a second, and beyond TotalAnswerBurst in all, of
// which one comes back every TotalAnswerPause; the remote console takes RconPerSecond of one address.
constexpr std::size_t AnswersPerSecond = 5;
constexpr std::size_t TotalAnswerBurst = 10;
constexpr std::chrono::milliseconds TotalAnswerPause{100};
constexpr std::size_t RconPerSecond = 10;
// How many ports from the asked one the engine tries.
constexpr int PortsTried = 10;

using Answered = std::map<std::uint32_t, std::deque<Clock::time_point>>;

// True when `from` may have another answer now, counted in `answered`.
bool WithinLimit(Answered& answered, std::uint32_t from, std::size_t perSecond) {
    auto& times = answered[from];
    const Clock::time_point now = Clock::now();
    while (!times.empty() && now - times.front() > std::chrono::seconds(1))
        times.pop_front();
    if (times.size() >= perSecond)
        return false;
    times.push_back(now);
    return true;
}

// A leaky bucket of answers shared by every address.
class TotalLimit {
public:
    bool Take() {
        const Clock::time_point now = Clock::now();
        const auto refilled = static_cast<std::size_t>((now - last_) / TotalAnswerPause);
        if (refilled > 0) {
            tokens_ = std::min(TotalAnswerBurst, tokens_ + refilled);
            last_ += refilled * TotalAnswerPause;
        }
        if (tokens_ == 0)
            return false;
        --tokens_;
        return true;
    }

private:
    std::size_t tokens_ = TotalAnswerBurst;
    Clock::time_point last_ = Clock::now();
};

// The console's answer to `command` with `given` as password.
std::string RconReply(const std::string& password, const std::string& given, const std::string& command,
                      const std::string& said) {
    std::string text;
    if (password.empty())
        text = "No rconpassword set on the server.\n";
    else if (given != password)
        text = "Bad rcon password.\n";
    else if (command == "serverinfo")
        text = "Server info settings:\nsv_hostname    Stand-in\nmapname        mp_harbor\n";
    else if (command == "say")
        text = "console: " + said + "\n";
    else
        text = "Unknown command \"" + command + "\"\n";
    return "\xff\xff\xff\xffprint\n" + text;
}

volatile sig_atomic_t termExit = -1;
volatile sig_atomic_t paused = 0;

void Pause(int signal) {
    paused = signal == SIGUSR1 ? 1 : 0;
}

// Appends `line` to the file `path` in one write.
void AppendLine(const std::string& path, const std::string& line) {
    const int file = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    [[maybe_unused]] const auto written = ::write(file, line.data(), line.size());
    ::close(file);
}

void ExitOnTerm(int) {
    ::_exit(termExit);
}

std::string OwnReply() {
    return "\xff\xff\xff\xffstatusResponse\n\\sv_hostname\\Stand-in\\mapname\\mp_harbor\\g_gametype\\dm\n"
           "5 20 \"Player\"\n";
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << "stand-in engine: cannot read " << path << '\n';
        std::exit(2);
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv) {
    std::string reply = OwnReply();
    bool answers = true;
    std::optional<std::chrono::milliseconds> answerFor;
    std::string record;
    std::string rconPassword;
    std::string rconLog;
    int first = 1;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        const std::string option = argv[first];
        const bool hasValue = first + 1 < argc;
        if (option == "--reply" && hasValue) {
            reply = ReadFile(argv[++first]);
        } else if (option == "--never-answer") {
            answers = false;
        } else if (option == "--answer-for" && hasValue) {
            answerFor = std::chrono::milliseconds(static_cast<long long>(std::atof(argv[++first]) * 1000));
        } else if (option == "--record" && hasValue) {
            record = argv[++first];
        } else if (option == "--term-exit" && hasValue) {
            termExit = std::atoi(argv[++first]);
            std::signal(SIGTERM, ExitOnTerm);
        } else if (option == "--ignore-term") {
            std::signal(SIGTERM, SIG_IGN);
        } else if (option == "--rcon-password" && hasValue) {
            rconPassword = argv[++first];
        } else if (option == "--rcon-log" && hasValue) {
            rconLog = argv[++first];
        } else {
            std::cerr << "stand-in engine: unknown option " << option << '\n';
            return 2;
        }
    }
    const std::vector<std::string> words(argv + first, argv + argc);
    int port = 28960;
    std::string ip = "127.0.0.1";
    for (std::size_t i = 0; i + 2 < words.size(); ++i) {
        if (words[i] == "+set" && words[i + 1] == "net_port")
            port = std::atoi(words[i + 2].c_str());
        else if (words[i] == "+set" && words[i + 1] == "net_ip" && words[i + 2] != "0.0.0.0")
            ip = words[i + 2];
    }

    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (socket < 0 || ::inet_pton(AF_INET, ip.c_str(), &address.sin_addr) != 1) {
        std::cout << "ERROR: no UDP socket on " << ip << ": " << std::strerror(errno) << std::endl;
        return 1;
    }
    const int asked = port;
    for (;; ++port) {
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
        std::cout << "WARNING: UDP_OpenSocket: bind: " << std::strerror(errno) << std::endl;
        if (port - asked + 1 >= PortsTried) {
            std::cout << "ERROR: Couldn't allocate IP port" << std::endl;
            return 1;
        }
    }
    std::cout << "Opening IP socket: " << ip << ":" << port << std::endl;
    if (!answers)
        std::cout << "ERROR: Couldn't load the map: the server will not answer" << std::endl;
    if (!record.empty()) {
        std::ofstream out(record + ".part");
        out << ::getpid() << '\n' << std::filesystem::current_path().string() << '\n' << port << '\n';
        for (const std::string& word : words)
            out << word << '\n';
        out.close();
        std::filesystem::rename(record + ".part", record);
    }

    std::signal(SIGUSR1, Pause);
    std::signal(SIGUSR2, Pause);
    const Clock::time_point opened = Clock::now();
    Answered answered;
    Answered rconAnswered;
    TotalLimit total;
    std::array<char, 2048> buffer{};
    for (;;) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size =
            ::recvfrom(socket, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 0)
            continue;
        const std::string datagram(buffer.data(), static_cast<std::size_t>(size));
        if (!answers || (answerFor && Clock::now() - opened > *answerFor))
            continue;
        std::string answer;
        if (datagram.rfind("\xff\xff\xff\xffgetstatus", 0) == 0) {
            if (paused || !WithinLimit(answered, from.sin_addr.s_addr, AnswersPerSecond) || !total.Take())
                continue;
            answer = reply;
        } else if (datagram.rfind("\xff\xff\xff\xffrcon ", 0) == 0) {
            if (!WithinLimit(rconAnswered, from.sin_addr.s_addr, RconPerSecond))
                continue;
            std::istringstream request(datagram.substr(9));
            std::string given, command, said;
            request >> given >> command;
            std::getline(request >> std::ws, said);
            if (!rconPassword.empty() && given == rconPassword && !rconLog.empty())
                AppendLine(rconLog,
                           std::to_string(
                               std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - opened).count()) +
                               " " + command + (said.empty() ? "" : " " + said) + "\n");
            answer = RconReply(rconPassword, given, command, said);
        } else {
            continue;
        }
        ::sendto(socket, answer.data(), answer.size(), 0, reinterpret_cast<const sockaddr*>(&from), length);
    }
}
