#pragma once

#include <string>
#include <string_view>

// Writes `content` to `path` whole: into a temporary file beside it, flushed, then renamed over the old file,
// so a crash never leaves half a file. Throws std::runtime_error naming the path when it cannot.
void WriteFileAtomically(const std::string& path, std::string_view content);

// Reads a whole file as bytes. Throws std::runtime_error naming the path when it cannot be opened.
std::string ReadWholeFile(const std::string& path);
