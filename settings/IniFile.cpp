// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Utf8Text.h"
#include "platform/Windows1252.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <stdexcept>

namespace {

// Section and key names are compared by their case-folded forms.
QString Folded(QStringView name) {
    return name.toString().toCaseFolded();
}

// Indexes `name` at `at` unless an earlier section or key of that name is indexed already: the first one wins.
void IndexFirst(QHash<QString, std::size_t>& index, QStringView name, std::size_t at) {
    QString folded = Folded(name);
    if (!index.contains(folded))
        index.insert(std::move(folded), at);
}

// The number of a key named `prefix` and a number (letter case ignored), as the key of that number is written:
// decimal digits without a leading 0; nothing for any other key.
std::optional<qsizetype> KeyNumber(QStringView key, QStringView prefix) {
    const QStringView digits = key.mid(std::min(prefix.size(), key.size()));
    if (digits.isEmpty() || digits.size() > 9 || !key.startsWith(prefix, Qt::CaseInsensitive) ||
        (digits.size() > 1 && digits.front() == u'0'))
        return std::nullopt;
    qsizetype number = 0;
    for (const QChar digit : digits) {
        if (digit < u'0' || digit > u'9')
            return std::nullopt;
        number = number * 10 + (digit.unicode() - u'0');
    }
    return number;
}

bool IsQuote(QChar c) {
    return c == u'"' || c == u'\'';
}

bool AllOf(QStringView digits, bool (*accept)(char16_t)) {
    return !digits.isEmpty() &&
           std::all_of(digits.begin(), digits.end(), [accept](QChar c) { return accept(c.unicode()); });
}

bool IsDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsHexDigit(char16_t c) {
    return IsDecimalDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

QStringView IniValueView(QStringView raw) {
    const QStringView value = raw.trimmed();
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

QString IniReadValue(QStringView raw) {
    return IniValueView(raw).toString();
}

QString IniWriteValue(const QString& value) {
    // A value is one line of the file; a line break inside it would start a new key or section.
    QString line = value;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    if (line.isEmpty())
        return line;
    // The reader trims blanks and removes one pair of matching quotes, so such values get one extra pair.
    const bool trimmedAway = line.front().isSpace() || line.back().isSpace();
    const bool quoted = line.size() >= 2 && IsQuote(line.front()) && line.back() == line.front();
    return trimmedAway || quoted ? u'"' + line + u'"' : line;
}

std::optional<int> IniParseInteger(const QString& text) {
    const QStringView view(text);
    const qsizetype prefix = view.startsWith(u'$') ? 1 : view.startsWith(u"0x", Qt::CaseInsensitive) ? 2 : 0;
    if (prefix > 0) {
        const QStringView hex = view.mid(prefix);
        // Eight hexadecimal digits fill 32 bits; like the Windows reader, $FFFFFFFF is -1.
        if (hex.size() > 8 || !AllOf(hex, IsHexDigit))
            return std::nullopt;
        return static_cast<int>(static_cast<std::uint32_t>(hex.toUInt(nullptr, 16)));
    }
    const QStringView digits = view.startsWith(u'-') || view.startsWith(u'+') ? view.mid(1) : view;
    if (!AllOf(digits, IsDecimalDigit))
        return std::nullopt;
    bool ok = false;
    const int value = view.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

namespace {

// Calls `take` with each line of `fileName`, decoded as ReadIniLines says. The lines are cut from the file's
// bytes and decoded one by one, so that the file's text is never held twice.
template <class Take> void ForEachIniLine(const QString& fileName, Take take) {
    const std::string path = fileName.toStdString();
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
    if (!error && fileSize > MaxIniFileSize)
        throw FileError("Impossible d'ouvrir le fichier", path,
                        std::to_string(fileSize) + " bytes, more than the 64 MiB a settings file may have");
    // Read bounded too: a file that grew since its size was seen is refused without being read whole.
    const std::string bytes = ReadWholeFile(path, MaxIniFileSize);
    std::string_view text(bytes);
    // What the Windows editor saves as "Unicode": UTF-16 with its byte order mark, decoded whole and written
    // back as UTF-8 bytes that the lines are cut from as from any other file.
    std::string utf16Text;
    const bool littleEndian = text.starts_with("\xFF\xFE");
    if (littleEndian || text.starts_with("\xFE\xFF")) {
        QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        utf16Text = QString(decoder.decode(QByteArrayView(bytes).sliced(2))).toStdString();
        text = utf16Text;
    }
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const bool utf8 = IsValidUtf8(text);
    const auto decode = [utf8](std::string_view line) {
        return utf8 ? QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()))
                    : QString::fromStdString(DecodeWindows1252(line));
    };
    // CR LF, LF and CR alone each end a line; a final line end adds no empty line. Neither byte occurs inside
    // a character of UTF-8 or Windows-1252.
    while (!text.empty()) {
        std::size_t end = 0;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        take(decode(text.substr(0, end)));
        const bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
        text.remove_prefix(std::min(text.size(), end + (crLf ? 2 : 1)));
    }
}

} // namespace

QStringList ReadIniLines(const QString& fileName) {
    QStringList lines;
    ForEachIniLine(fileName, [&lines](QString line) { lines << std::move(line); });
    return lines;
}

TIniFile::TIniFile(QString fileName) : fileName_(std::move(fileName)) {
    std::error_code error;
    if (!std::filesystem::exists(fileName_.toStdString(), error))
        return;
    ForEachIniLine(fileName_, [this](QString row) { AddLine(std::move(row)); });
}

void TIniFile::AddLine(QString row) {
    const QStringView trimmed = QStringView(row).trimmed();
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        sections_.push_back({trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed().toString(), row, {}, 0, {}});
        IndexFirst(sectionIndex_, sections_.back().name, sections_.size() - 1);
        return;
    }
    if (sections_.empty()) {
        preamble_.push_back({std::move(row), false});
        return;
    }
    Section& section = sections_.back();
    const bool isKey = row.contains(u'=');
    section.lines.push_back({std::move(row), isKey});
    if (isKey)
        ++section.keyCount;
}

QStringView TIniFile::Line::Key() const {
    return QStringView(text).left(text.indexOf(u'=')).trimmed();
}

QStringView TIniFile::Line::ValueView() const {
    return IniValueView(QStringView(text).mid(text.indexOf(u'=') + 1));
}

QString TIniFile::Line::Value() const {
    return ValueView().toString();
}

const QHash<QString, std::size_t>& TIniFile::Section::Keys() const {
    if (!keys) {
        keys.emplace();
        keys->reserve(static_cast<qsizetype>(keyCount));
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].isKey)
                IndexFirst(*keys, lines[i].Key(), i);
    }
    return *keys;
}

void TIniFile::Section::KeyAdded(std::size_t line) {
    ++keyCount;
    if (keys)
        IndexFirst(*keys, lines[line].Key(), line);
}

void TIniFile::Section::KeysChanged() {
    keyCount = static_cast<std::size_t>(std::ranges::count_if(lines, &Line::isKey));
    keys.reset();
}

TIniFile::Section* TIniFile::FindSection(const QString& name) {
    const auto found = sectionIndex_.constFind(Folded(name));
    return found == sectionIndex_.cend() ? nullptr : &sections_[*found];
}

const TIniFile::Section* TIniFile::FindSection(const QString& name) const {
    return const_cast<TIniFile*>(this)->FindSection(name);
}

TIniFile::Section& TIniFile::SectionForWriting(const QString& name) {
    changed_ = true;
    if (Section* section = FindSection(name))
        return *section;
    sectionIndex_.insert(Folded(name), sections_.size());
    return sections_.emplace_back(Section{name, u'[' + name + u']', {}, 0, {}});
}

void TIniFile::IndexSections() {
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        IndexFirst(sectionIndex_, sections_[i].name, i);
}

TIniFile::Line* TIniFile::FindKey(const QString& section, const QString& key) {
    Section* found = FindSection(section);
    if (!found)
        return nullptr;
    const auto& keys = found->Keys();
    const auto line = keys.constFind(Folded(key));
    return line == keys.cend() ? nullptr : &found->lines[*line];
}

const TIniFile::Line* TIniFile::FindKey(const QString& section, const QString& key) const {
    return const_cast<TIniFile*>(this)->FindKey(section, key);
}

TIniFile::Line TIniFile::KeyLine(const QString& key, const QString& value) {
    return {key + u'=' + IniWriteValue(value), true};
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const Line* line = FindKey(section, key);
    return line ? line->Value() : defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    if (Line* line = FindKey(section, key)) {
        *line = KeyLine(line->Key().toString(), value);
        changed_ = true;
        return;
    }
    Section& target = SectionForWriting(section);
    std::vector<Line>& lines = target.lines;
    // A new key goes after the section's last line that holds anything, before the blank lines that part
    // it from the next section. Those blank lines are no keys, so moving them leaves the index true.
    auto end = lines.end();
    while (end != lines.begin() && (end - 1)->text.trimmed().isEmpty())
        --end;
    const auto added = lines.insert(end, KeyLine(key, value));
    target.KeyAdded(static_cast<std::size_t>(added - lines.begin()));
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    return IniParseInteger(ReadString(section, key, QString())).value_or(defaultValue);
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

std::vector<std::pair<QString, QString>> TIniFile::ReadSectionValues(const QString& section) const {
    std::vector<std::pair<QString, QString>> pairs;
    if (const Section* found = FindSection(section))
        for (const Line& line : found->lines)
            if (line.isKey)
                pairs.emplace_back(line.Key().toString(), line.Value());
    return pairs;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    if (const Section* found = FindSection(section))
        for (const Line& line : found->lines)
            if (line.isKey)
                keys << line.Key().toString();
    return keys;
}

bool TIniFile::SectionExists(const QString& section) const {
    const Section* found = FindSection(section);
    return found && found->keyCount > 0;
}

template <class Take, class Restart>
bool TIniFile::ForEachNumberedValue(const QString& section, const QString& prefix, Take take, Restart restart) const {
    const Section* found = FindSection(section);
    if (!found || found->keyCount == 0)
        return false;
    // The lists this program writes hold their numbered keys in order and once each: then they are read in one
    // walk, without an index.
    qsizetype taken = 0;
    const bool inOrder = std::ranges::all_of(found->lines, [&](const Line& line) {
        if (!line.isKey)
            return true;
        const auto number = KeyNumber(line.Key(), prefix);
        if (!number)
            return true;
        if (*number != taken)
            return false;
        take(line.ValueView());
        ++taken;
        return true;
    });
    if (inOrder)
        return true;
    restart();
    const auto& keys = found->Keys();
    const QString foldedPrefix = Folded(prefix);
    for (int i = 0;; ++i) {
        // A number folds to itself: the key is folded once, with its prefix.
        const auto line = keys.constFind(foldedPrefix + QString::number(i));
        if (line == keys.cend())
            return true;
        take(found->lines[*line].ValueView());
    }
}

std::optional<QStringList> TIniFile::ReadNumberedValues(const QString& section, const QString& prefix) const {
    QStringList values;
    if (!ForEachNumberedValue(
            section, prefix, [&values](QStringView value) { values << value.toString(); },
            [&values] { values.clear(); }))
        return std::nullopt;
    return values;
}

std::optional<std::vector<std::string>> TIniFile::ReadNumberedUtf8Values(const QString& section,
                                                                         const QString& prefix) const {
    std::vector<std::string> values;
    if (const Section* found = FindSection(section))
        values.reserve(found->keyCount);
    if (!ForEachNumberedValue(
            section, prefix, [&values](QStringView value) { values.push_back(ToUtf8(value)); },
            [&values] { values.clear(); }))
        return std::nullopt;
    return values;
}

QStringList TIniFile::SectionNames() const {
    QStringList names;
    for (const Section& section : sections_)
        if (section.keyCount > 0)
            names << section.name;
    return names;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return FindKey(section, key) != nullptr;
}

void TIniFile::EraseSection(const QString& section) {
    const QString folded = Folded(section);
    if (std::erase_if(sections_, [&](const Section& s) { return Folded(s.name) == folded; }) == 0)
        return;
    IndexSections();
    changed_ = true;
}

void TIniFile::ReplaceSection(const QString& section, const std::vector<std::pair<QString, QString>>& pairs) {
    if (pairs.empty()) {
        EraseSection(section);
        return;
    }
    Section& target = SectionForWriting(section);
    target.lines.clear();
    for (const auto& [key, value] : pairs)
        target.lines.push_back(KeyLine(key, value));
    target.KeysChanged();
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    Section* found = FindSection(section);
    if (!found)
        return;
    const QString folded = Folded(key);
    if (std::erase_if(found->lines, [&](const Line& line) { return line.isKey && Folded(line.Key()) == folded; }) == 0)
        return;
    found->KeysChanged();
    changed_ = true;
}

std::string TIniFile::Text() const {
    // Built line by line as UTF-8, so that writing holds the file's text only once beside the lines.
    std::string text;
    const auto append = [&text](const QString& line) { text.append(line.toStdString()).append("\r\n"); };
    for (const Line& line : preamble_)
        append(line.text);
    for (const Section& section : sections_) {
        append(section.header);
        for (const Line& line : section.lines)
            append(line.text);
    }
    return text;
}

void TIniFile::Save() {
    if (!changed_)
        return;
    try {
        // A settings file holds the server's passwords: a new one is for its owner's eyes only.
        WriteFileAtomically(fileName_.toStdString(), Text(), PrivateFileMode);
    } catch (const FileError& error) {
        throw std::runtime_error("Impossible d'écrire dans " + fileName_.toStdString() + " (" + error.Reason() + ")");
    }
    changed_ = false;
}

TIniFile TIniFile::Empty(QString fileName) {
    TIniFile ini;
    ini.fileName_ = std::move(fileName);
    return ini;
}
