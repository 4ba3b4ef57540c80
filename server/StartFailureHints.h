#pragma once

#include <optional>
#include <string>
#include <vector>

// What an administrator must install when the server cannot start: the first questions of every administrator
// of the native server (a 32-bit program) and of the Windows server under a 64-bit-only Wine.

// The run log's line when `executable` is a 32-bit ELF program whose loader (the interpreter its program header
// names) does not exist, as on a 64-bit system without the 32-bit C library; the system would only say "No such
// file or directory" about a file that is there. Nothing for any other file.
std::optional<std::string> MissingLoaderLine(const std::string& executable);

// The run log's lines that name what to install, from the output of a server that stopped at start: the
// loader's "error while loading shared libraries: NAME" and Wine's "wine32 is missing". Nothing when the output
// holds neither.
std::vector<std::string> StartFailureHints(const std::vector<std::string>& output);
