// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// An INI settings file held in memory: read once when constructed, changed in memory, written back whole by
// Save. It reads files the way the Windows profile functions do (a line ends at CR LF, LF or CR alone; names
// matched without regard to letter case; blanks around names and values trimmed; one pair of matching quotes
// around a value removed; the first of duplicate keys, and of duplicate sections, wins) and writes them so
// that they read back exactly, also on Windows: every value round-trips, lines end with CR LF, the text is
// UTF-8. Lines it does not understand are kept as they are. Sections and keys are indexed by their case-folded
// names, so reading, looking up and writing a whole file take time in proportion to its size.
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
    // The values of the keys <prefix>0, <prefix>1, ... of `section` up to the first one missing; nullopt when
    // the section holds no key.
    std::optional<QStringList> ReadNumberedValues(const QString& section, const QString& prefix) const;
    // The same values as UTF-8, for the windowless commands.
    std::optional<std::vector<std::string>> ReadNumberedUtf8Values(const QString& section, const QString& prefix) const;
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

    struct Line {
        QString text;       // as read, or as composed for a written key
        bool isKey = false; // a line of a section that holds "="
        // The trimmed name before the first "=" of a key line.
        QStringView Key() const;
        QStringView ValueView() const;
        QString Value() const;
    };
    struct Section {
        QString name;
        QString header;
        std::vector<Line> lines;
        std::size_t keyCount = 0;
        // Case-folded key name -> its first line; built at the first look-up, so that a list read in order
        // needs none.
        mutable std::optional<QHash<QString, std::size_t>> keys;
        const QHash<QString, std::size_t>& Keys() const;
        // Keeps the count and the index true after line `line` became a key.
        void KeyAdded(std::size_t line);
        // Counts the keys again and drops the index, after lines were removed.
        void KeysChanged();
    };

    void AddLine(QString row);
    // Calls `take` with each value of ReadNumberedValues in order, and `restart` before it starts again when the
    // keys are not in order; false when the section holds no key.
    template <class Take, class Restart>
    bool ForEachNumberedValue(const QString& section, const QString& prefix, Take take, Restart restart) const;
    Section* FindSection(const QString& name);
    const Section* FindSection(const QString& name) const;
    Section& SectionForWriting(const QString& name);
    void IndexSections();
    Line* FindKey(const QString& section, const QString& key);
    const Line* FindKey(const QString& section, const QString& key) const;
    static Line KeyLine(const QString& key, const QString& value);
    std::string Text() const;

    QString fileName_;
    std::vector<Line> preamble_; // lines before the first section: never keys, kept as they are
    std::vector<Section> sections_;
    QHash<QString, std::size_t> sectionIndex_; // case-folded section name -> the first section of that name
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
