// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LineList.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An INI settings file held in memory: read once when constructed, changed in memory, written back whole by
// Save. It reads files the way the Windows profile functions do (a line ends at CR LF, LF or CR alone; names
// matched without regard to letter case; blanks around names and values trimmed; one pair of matching quotes
// around a value removed; the first of duplicate keys, and of duplicate sections, wins) and writes them so
// that they read back exactly, also on Windows: every value round-trips, lines end with CR LF, the text is
// UTF-8. Lines it does not understand are kept as they are. The file's text is held once, with no record per
// line; sections and keys are indexed by their case-folded names when first looked up, so that reading and
// looking up take time in proportion to the file's size and memory in proportion to its text. Each change moves the
// text after it once.
class TIniFile {
public:
    // Reads `fileName`; a missing file gives an empty one. Throws std::runtime_error when the file exists but
    // cannot be read, so that a later Save never replaces a file whose content was not seen.
    explicit TIniFile(QString fileName);

    // An empty file that Save writes as `fileName`, whatever that file holds now.
    static TIniFile Empty(QString fileName);

    const QString& FileName() const { return fileName_; }

    // The value of `key` in `section`, or `defaultValue` when the key is absent.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Sets `key` in `section` to `value`, adding the key (and the section) at their end when absent.
    void WriteString(const QString& section, const QString& key, const QString& value);

    // The value as a whole number (decimal, or hexadecimal after "0x" or "$"); `defaultValue` when the key is
    // absent or its value is not a number.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // Writes `value` in decimal.
    void WriteInteger(const QString& section, const QString& key, int value);

    // The value read as an integer, true when it is not 0; `defaultValue` when absent or not a number.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    // Writes "1" or "0".
    void WriteBool(const QString& section, const QString& key, bool value);

    // The names of the keys of `section`, in file order.
    QStringList ReadSection(const QString& section) const;
    // The keys of `section` with their values, in file order (a later duplicate key is listed too).
    std::vector<std::pair<QString, QString>> ReadSectionValues(const QString& section) const;
    // True when `section` holds at least one key.
    bool SectionExists(const QString& section) const;
    // The names of the sections that hold at least one key, in file order.
    QStringList SectionNames() const;
    // True when `test` accepts the name of a section that holds at least one key; the sections are tried in file
    // order, without a list of them all.
    bool AnySectionNamed(const std::function<bool(const QString&)>& test) const;
    // The values of the keys <prefix>0, <prefix>1, ... of `section` up to the first one missing; nullopt when
    // the section holds no key.
    std::optional<QStringList> ReadNumberedValues(const QString& section, const QString& prefix) const;
    // The same values as UTF-8, views of the file's text.
    std::optional<LineList> ReadNumberedUtf8Values(const QString& section, const QString& prefix) const;
    // True when `section` holds `key`.
    bool ValueExists(const QString& section, const QString& key) const;

    // Removes `section` with all its lines.
    void EraseSection(const QString& section);
    // Makes `pairs` (key, value) the whole content of `section`, keeping the section's place in the file.
    void ReplaceSection(const QString& section, const std::vector<std::pair<QString, QString>>& pairs);
    // Removes `key` from `section`.
    void DeleteKey(const QString& section, const QString& key);

    // Writes the file atomically when anything was written since it was read. Throws std::runtime_error
    // naming the file when it cannot be written.
    void Save();

private:
    TIniFile() = default;

    // The offsets in the text of the first line of each case-folded name of sections, or of keys: a table of
    // open addressing that holds an offset and no name, and compares names in the text. A settings text (at most
    // three times MaxIniFileSize when read from Windows-1252) stays far below the 4 GiB its offsets can reach.
    class NameIndex {
    public:
        explicit NameIndex(std::size_t count);
        // Adds `at`, the offset of a line named `name`, unless a name that folds alike is in already.
        template <class NameAt> void AddFirst(std::string_view name, std::size_t at, NameAt nameAt);
        // The offset of the line named `name`; npos when there is none.
        template <class NameAt> std::size_t Find(std::string_view name, NameAt nameAt) const;
        // Moves the offsets from `at` on by `by`, after text was inserted or replaced there.
        void Moved(std::size_t at, std::ptrdiff_t by);

    private:
        template <class NameAt> std::size_t Slot(std::string_view name, NameAt nameAt) const;
        std::vector<std::uint32_t> slots_;
        std::size_t count_ = 0;
        std::size_t last_ = 0; // the largest offset held
    };

    // The keys of a section, and the end of its last line that holds anything, where a new key goes (before the
    // blank lines that part it from the next section), npos until it is first needed.
    struct SectionKeys {
        std::size_t header;
        std::size_t end;
        // Built at the second look-up: a section read for one key, as a list is for its chosen item, needs none.
        std::optional<NameIndex> keys;
        bool lookedUp = false;
    };

    // The names of the section whose header, and of the key whose line, starts at an offset.
    auto SectionNameAt() const;
    auto KeyNameAt() const;
    // The keys of the section at `header`.
    SectionKeys& KeysOf(std::size_t header) const;
    // The end of the last line of `section` that holds anything, found at the first call.
    std::size_t EndOf(SectionKeys& section) const;
    // The offset of the header of the first section named `name`; npos when there is none.
    std::size_t FindSection(std::string_view name) const;
    // The offset of the first line of the section at `header` that holds `key`; npos when there is none.
    std::size_t FindKey(std::size_t header, std::string_view key) const;
    // FindKey in the first section named `section`.
    std::size_t FindKey(const QString& section, const QString& key) const;
    // The header of the first section named `name`, added at the end of the text when there is none.
    std::size_t SectionForWriting(const QString& name);
    // Calls `take` with the offset of each key line of the section at `header`, in file order.
    template <class Take> void ForEachKey(std::size_t header, Take take) const;
    // Calls `take` with each value of ReadNumberedValues in order, and `restart` before it starts again when the
    // keys are not in order; false when the section holds no key.
    template <class Take, class Restart>
    bool ForEachNumberedValue(const QString& section, const QString& prefix, Take take, Restart restart) const;
    // Replaces the text [from, to) by `text`, where no line starts between `from` and `to`, keeping the lookups true
    // but for what the new text names.
    void Splice(std::size_t from, std::size_t to, std::string_view text);
    // Replaces the text [from, to) by `text`; the lookups start again from the text.
    void Replace(std::size_t from, std::size_t to, std::string_view text);
    // Keeps only the lines of the text [from, to) that `keep` accepts.
    template <class Keep> void KeepLines(std::size_t from, std::size_t to, Keep keep);
    void Changed();
    const std::string& Text() const { return *text_; }
    // The text, to be changed: copied first when a list read from it holds it too.
    std::string& Writable();

    QString fileName_;
    // The file's text as UTF-8, every line ended by a line feed alone; written lines are changed in place.
    std::shared_ptr<std::string> text_ = std::make_shared<std::string>();
    // Built at the first look-up, kept through the writing of single keys: a list read in order needs none.
    mutable std::optional<NameIndex> sections_;
    mutable std::vector<SectionKeys> keys_;
    bool changed_ = false;
};

// The largest settings or maps file the INI layer reads; anything larger is no file of the program's.
inline constexpr std::uintmax_t MaxIniFileSize = 64 * 1024 * 1024;

// The lines of a settings or maps file, read as the INI layer reads them: UTF-16 (little or big endian) after
// its byte order mark, UTF-8 (after an optional byte order mark) or else Windows-1252, a line ended by CR LF, LF
// or CR alone, no empty line after the final line end. Throws FileError naming the file when it cannot be
// read or is larger than MaxIniFileSize (the reason gives its size).
QStringList ReadIniLines(const QString& fileName);
// The value part of an INI line as the Windows reader sees it: trimmed, and one pair of matching quotes removed.
QStringView IniValueView(QStringView raw);
QString IniReadValue(QStringView raw);
// The text to write after "=" so that IniReadValue gives back `value` exactly.
QString IniWriteValue(const QString& value);
// A whole number as the INI layer reads it: decimal with an optional sign, or hexadecimal after "0x" or "$".
std::optional<int> IniParseInteger(const QString& text);
