// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AtomicFile.h"
#include "platform/LogSink.h"

#include <string>
#include <string_view>

// One line of a server configuration file and what the run log calls it when a character of it is lost: a
// setting name, or an empty text for "<file name> line <N>", N counted from 1.
struct CfgFileLine {
    std::string subject;
    std::string text;
    bool quoteReplaced = false; // a double quote inside the line's value was written as a single quote
};

// `value` between double quotes. The game has no escape for a quote inside a value, so each one is written as a
// single quote, and `replaced` is set then; otherwise it would end the value and the rest would become commands.
std::string QuotedValue(std::string value, bool& replaced);

// The text of a server configuration file, composed a line at a time as the game reads such files: Windows-1252,
// CR LF after every line, each line one line of the file; each line is converted as it is added, and written to the
// file a buffer at a time, so that a long file is never held whole. The game reads one command a line, so a control
// character (a line break, a NUL, a tab...) is written as a blank and logged as "<subject> : control character written
// as a blank"; a character that Windows-1252 cannot hold is written as "?" and logged as "<subject> : character written
// as ?"; a replaced quote is logged as "<subject> : double quote written as '".
class CfgFileText {
public:
    // `relative`: the file's path below `gameFolder`.
    CfgFileText(const std::string& gameFolder, const std::string& relative, const LogSink& log);
    // Adds the line `text` (UTF-8), named `subject` in the log (see CfgFileLine).
    void Add(std::string_view subject, std::string_view text, bool quoteReplaced);
    // Replaces the file whole with the lines added. A new file may be read by its owner only (it may hold a password),
    // a replaced one keeps its mode. Throws FileError ("Impossible de créer le fichier <path> (<reason>)") when the
    // file cannot be written, or when a link on the way below the game folder belongs to someone else than the
    // running user or root; the folder is never created.
    void Save();

private:
    // Writes the lines held to the file.
    void Flush();

    std::string fileName_;
    const LogSink& log_;
    AtomicFileWriter file_;
    std::string buffer_; // the lines added since the last Flush
    std::size_t lines_ = 0;
};
