#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Windows1252.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <stdexcept>

namespace {

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
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

QString IniReadValue(const QString& raw) {
    const QString value = raw.trimmed();
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
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

TIniFile::TIniFile(QString fileName) : fileName_(std::move(fileName)) {
    const std::string path = fileName_.toStdString();
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return;
    std::string bytes = ReadWholeFile(path);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    QStringList rows = QString::fromStdString(DecodeUtf8OrWindows1252(bytes)).split(u'\n');
    if (rows.back().isEmpty())
        rows.removeLast(); // the final line break ends the last line; it adds no empty one
    for (QString& row : rows) {
        if (row.endsWith(u'\r'))
            row.chop(1);
        const QString trimmed = row.trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            sections_.push_back({trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed(), row, {}});
            continue;
        }
        const qsizetype equals = row.indexOf(u'=');
        Line line{row, {}, false};
        if (!sections_.empty() && equals >= 0) {
            line.key = row.left(equals).trimmed();
            line.isKey = true;
        }
        (sections_.empty() ? preamble_ : sections_.back().lines).push_back(std::move(line));
    }
}

TIniFile::Section* TIniFile::FindSection(const QString& name) {
    const auto found =
        std::find_if(sections_.begin(), sections_.end(), [&](const Section& s) { return SameName(s.name, name); });
    return found == sections_.end() ? nullptr : &*found;
}

const TIniFile::Section* TIniFile::FindSection(const QString& name) const {
    return const_cast<TIniFile*>(this)->FindSection(name);
}

TIniFile::Section& TIniFile::SectionForWriting(const QString& name) {
    changed_ = true;
    if (Section* section = FindSection(name))
        return *section;
    return sections_.emplace_back(Section{name, u'[' + name + u']', {}});
}

TIniFile::Line* TIniFile::FindKey(const QString& section, const QString& key) {
    Section* found = FindSection(section);
    if (!found)
        return nullptr;
    for (Line& line : found->lines)
        if (line.isKey && SameName(line.key, key))
            return &line;
    return nullptr;
}

const TIniFile::Line* TIniFile::FindKey(const QString& section, const QString& key) const {
    return const_cast<TIniFile*>(this)->FindKey(section, key);
}

QString TIniFile::LineValue(const Line& line) {
    return IniReadValue(line.text.mid(line.text.indexOf(u'=') + 1));
}

TIniFile::Line TIniFile::KeyLine(const QString& key, const QString& value) {
    return {key + u'=' + IniWriteValue(value), key, true};
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const Line* line = FindKey(section, key);
    return line ? LineValue(*line) : defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    if (Line* line = FindKey(section, key)) {
        *line = KeyLine(line->key, value);
        changed_ = true;
        return;
    }
    std::vector<Line>& lines = SectionForWriting(section).lines;
    // A new key goes after the section's last line that holds anything, before the blank lines that part
    // it from the next section.
    auto end = lines.end();
    while (end != lines.begin() && (end - 1)->text.trimmed().isEmpty())
        --end;
    lines.insert(end, KeyLine(key, value));
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
                pairs.emplace_back(line.key, LineValue(line));
    return pairs;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    if (const Section* found = FindSection(section))
        for (const Line& line : found->lines)
            if (line.isKey)
                keys << line.key;
    return keys;
}

bool TIniFile::SectionExists(const QString& section) const {
    return !ReadSection(section).isEmpty();
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return FindKey(section, key) != nullptr;
}

void TIniFile::EraseSection(const QString& section) {
    changed_ |= std::erase_if(sections_, [&](const Section& s) { return SameName(s.name, section); }) > 0;
}

void TIniFile::ReplaceSection(const QString& section, const std::vector<std::pair<QString, QString>>& pairs) {
    if (pairs.empty()) {
        EraseSection(section);
        return;
    }
    std::vector<Line>& lines = SectionForWriting(section).lines;
    lines.clear();
    for (const auto& [key, value] : pairs)
        lines.push_back(KeyLine(key, value));
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    if (Section* found = FindSection(section))
        changed_ |=
            std::erase_if(found->lines, [&](const Line& line) { return line.isKey && SameName(line.key, key); }) > 0;
}

QString TIniFile::Text() const {
    QString text;
    const auto append = [&text](const QString& line) { text += line + QStringLiteral("\r\n"); };
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
        WriteFileAtomically(fileName_.toStdString(), Text().toStdString(), PrivateFileMode);
    } catch (const FileError& error) {
        throw std::runtime_error("Impossible d'écrire dans " + fileName_.toStdString() + " (" + error.Reason() + ")");
    }
    changed_ = false;
}
