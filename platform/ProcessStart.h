// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starting another program: in a session of its own, so that it leads a process group of everything it starts
// and no terminal's signal reaches it, with the signals' default handling.

// Where the started program's standard input, output and error go.
enum class ProcessOutput {
    Inherited, // this program's own
    File       // output and error to `outputDescriptor`, no standard input
};

struct ProcessStart {
    std::string program;                // a path, or a name looked up on PATH
    std::vector<std::string> arguments; // after the program's name
    std::string workingFolder;          // empty for this program's
    ProcessOutput output = ProcessOutput::Inherited;
    int outputDescriptor = -1; // an open file for ProcessOutput::File, not handed on to the program
    // A detached program is not a child of this one: nobody has to reap it, and its end cannot be awaited.
    bool detached = false;
    // "NAME=VALUE" entries given to the program besides this program's environment (replacing a variable of
    // the same name).
    std::vector<std::string> environment = {};
};

// What a start gave: the started process's id, or the system's reason (ENOENT when the program is not there).
struct StartedProcess {
    pid_t id = 0;
    int error = 0;
};

// The program's full path: `program` itself when it names a folder, else the first executable of that name on
// PATH; empty when there is none.
std::string FindProgram(const std::string& program);

// Starts the program of `start`; returns once it runs the program (or failed to).
StartedProcess StartProcess(const ProcessStart& start);
