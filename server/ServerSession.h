// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"
#include "platform/ProcessHandle.h"
#include "server/GamePort.h"

#include <sys/types.h>

#include <optional>
#include <string>

// A server is the session it was started in, not its first process: a start script may put the engine in the
// background and end, and an engine that finds its port taken opens the next one. These rules tell which
// processes, and which answers, are the server's.

// Another program's process that holds the port a server would listen on.
struct PortHolder {
    int port = 0;
    pid_t processId = 0; // 0 when the system does not show who holds it (another user's process)
    std::string name;    // the holder's command name, terminal-safe; empty when not known
    std::string folder;  // the holder's working folder; empty when not known
};

// The holder of the UDP port that a server with `net` would open, when a socket of another program has it now;
// nullopt when the port is free.
std::optional<PortHolder> FindPortHolder(const NetSettings& net);

// What a start is told about `holder`: "Port N is held by process P (NAME) of another game folder" ("of this game
// folder" when the holder works in `gameFolder`, "by another program" when the system does not show it).
std::string PortHeldMessage(const PortHolder& holder, const std::string& gameFolder);

// True when the socket that answers at `address` belongs to a process of `session`: another program's answer
// on the port is never taken for the server's.
bool SessionAnswersAt(const StatusAddress& address, pid_t session);

// The port that a process of `session` opened instead of the one of `address`, when it opened another one.
std::optional<int> SessionPortBesides(const StatusAddress& address, pid_t session);

// "The server answers on HOST:MOVED, not on PORT: port PORT was taken".
std::string MovedPortLine(const StatusAddress& address, int moved);

// The session of the server's process `process` when it is the server's own: the process leads it, or its leader
// (a start script) has ended. A process started by hand shares the session of the terminal it was started from,
// which is never the server's: 0 then, and the process goes alone.
pid_t ServerSessionOf(pid_t process);

// The process that serves on in `session` once the process held so far ended: the one that holds a UDP socket,
// else the oldest; nullopt when the session ended with it.
std::optional<ProcessHandle> SessionSuccessor(pid_t session);

// "The start script ended; its server runs on as process N".
std::string ServesOnLine(pid_t processId);
