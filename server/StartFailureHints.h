// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// What an administrator must install when the server cannot start: the first questions of every administrator
// of the native server (a 32-bit program) and of the Windows server under a 64-bit-only Wine.

// What is missing, and how to install it, when `executable` is a 32-bit ELF program whose loader (the interpreter
// its program header names) does not exist, as on a 64-bit system without the 32-bit C library ("the 32-bit loader
// /lib/ld-linux.so.2 is missing: dpkg --add-architecture i386 && ..."). Nothing for any other file.
std::optional<std::string> MissingLoader(const std::string& executable);

// The run log's lines that name what to install, from the output of a server that stopped at start: the
// loader's "error while loading shared libraries: NAME" and Wine's "wine32 is missing". Nothing when the output
// holds neither.
std::vector<std::string> StartFailureHints(const std::vector<std::string>& output);
