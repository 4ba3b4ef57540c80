// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Utf8Text.h"
#include "platform/Windows1252.h"

#include <QHashFunctions>
#include <QStringDecoder>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <stdexcept>

namespace {

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

constexpr std::size_t npos = std::string::npos;

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

char AsciiFolded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

QString FromUtf8View(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The blanks QString::trimmed removes: the Unicode separators and the ASCII controls from tab to CR.
bool IsBlankAt(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte > ' ' && byte < 0x80) {
        length = 1;
        return false;
    }
    char32_t cp = 0;
    length = DecodeUtf8At(text, pos, cp);
    return length > 0 && QChar::isSpace(cp);
}

// `text` without the blanks at its ends, as QStringView::trimmed gives them.
std::string_view Trimmed(std::string_view text) {
    // Most lines start and end with an ASCII character that is no blank: nothing to decode.
    const auto plain = [](char c) {
        return static_cast<unsigned char>(c) > ' ' && static_cast<unsigned char>(c) < 0x80;
    };
    if (!text.empty() && plain(text.front()) && plain(text.back()))
        return text;
    std::size_t length = 0;
    while (!text.empty() && IsBlankAt(text, 0, length))
        text.remove_prefix(length);
    while (!text.empty()) {
        std::size_t last = text.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80)
            --last;
        if (!IsBlankAt(text, last, length))
            break;
        text.remove_suffix(text.size() - last);
    }
    return text;
}

std::string_view ValueView(std::string_view raw) {
    const std::string_view value = Trimmed(raw);
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Names match when their case-folded forms are the same. ASCII folds to its small letters; some other letters
// fold to ASCII (the Kelvin sign to k), so any other name is folded whole.
bool SameFolded(std::string_view a, std::string_view b) {
    // Names that start with ASCII characters that fold apart differ, as most names that a search passes do.
    const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
    if (!a.empty() && !b.empty() && ascii(a[0]) && ascii(b[0]) && AsciiFolded(a[0]) != AsciiFolded(b[0]))
        return false;
    if (IsAscii(a) && IsAscii(b))
        return a.size() == b.size() && std::ranges::equal(a, b, {}, AsciiFolded, AsciiFolded);
    return FromUtf8View(a).toCaseFolded() == FromUtf8View(b).toCaseFolded();
}

// A hash of the case-folded form of `name`, seeded per process so that no file can choose names that collide.
std::size_t FoldedHash(std::string_view name) {
    std::size_t hash = QHashSeed::globalSeed() ^ 14695981039346656037ULL;
    const auto add = [&hash](char16_t unit) { hash = (hash ^ unit) * 1099511628211ULL; };
    if (IsAscii(name)) {
        for (const char c : name)
            add(static_cast<char16_t>(AsciiFolded(c)));
    } else {
        for (const QChar c : FromUtf8View(name).toCaseFolded())
            add(c.unicode());
    }
    return hash ^ (hash >> 29);
}

bool IsHeader(std::string_view line) {
    return Trimmed(line).starts_with('[');
}

std::string_view SectionName(std::string_view header) {
    const std::string_view trimmed = Trimmed(header);
    const std::size_t close = trimmed.find(']');
    return Trimmed(trimmed.substr(1, close == npos ? npos : close - 1));
}

std::string_view KeyOf(std::string_view line) {
    return Trimmed(line.substr(0, line.find('=')));
}

std::string_view ValueOf(std::string_view line) {
    return ValueView(line.substr(line.find('=') + 1));
}

bool IsKey(std::string_view line) {
    return line.find('=') != npos;
}

// The number `digits` write as the key of that number is written: decimal digits without a leading 0.
std::optional<qsizetype> WrittenNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 9 || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    qsizetype number = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        number = number * 10 + (digit - '0');
    }
    return number;
}

// The number of a key named `prefix` and a number (letter case ignored); nothing for any other key.
std::optional<qsizetype> KeyNumber(std::string_view key, std::string_view prefix) {
    // A key that starts with ASCII characters is compared a byte at a time: after them, only digits count.
    if (IsAscii(prefix) && key.size() > prefix.size() && IsAscii(key.substr(0, prefix.size())))
        return std::ranges::equal(key.substr(0, prefix.size()), prefix, {}, AsciiFolded, AsciiFolded)
                   ? WrittenNumber(key.substr(prefix.size()))
                   : std::nullopt;
    // A letter of another alphabet may fold to one of the prefix.
    const QString wide = FromUtf8View(key);
    const QString widePrefix = FromUtf8View(prefix);
    if (!wide.startsWith(widePrefix, Qt::CaseInsensitive))
        return std::nullopt;
    return WrittenNumber(wide.mid(widePrefix.size()).toStdString());
}

// The text of `fileName` as ReadIniLines reads it, in UTF-8 with a line feed after every line. Throws FileError
// naming the file when it cannot be read or is larger than MaxIniFileSize.
std::string ReadIniText(const QString& fileName) {
    const std::string path = fileName.toStdString();
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
    if (!error && fileSize > MaxIniFileSize)
        throw FileError("Impossible d'ouvrir le fichier", path,
                        std::to_string(fileSize) + " bytes, more than the 64 MiB a settings file may have");
    // Read bounded too: a file that grew since its size was seen is refused without being read whole.
    std::string text = ReadWholeFile(path, MaxIniFileSize);
    // What the Windows editor saves as "Unicode": UTF-16 with its byte order mark.
    const bool littleEndian = text.starts_with("\xFF\xFE");
    if (littleEndian || text.starts_with("\xFE\xFF")) {
        QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        QString decoded = decoder.decode(QByteArrayView(text).sliced(2));
        std::string().swap(text);
        text = decoded.toStdString();
    }
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    if (!IsValidUtf8(text))
        DecodeWindows1252InPlace(text);
    // CR LF, LF and CR alone each end a line, made a line feed in place; a final line end adds no empty line.
    // Neither byte occurs inside a character of UTF-8. The text between carriage returns moves a run at a time.
    std::size_t write = std::min(text.find('\r'), text.size());
    for (std::size_t read = write; read < text.size();) {
        // text[read] is a carriage return, alone or before a line feed: one line feed either way.
        text[write++] = '\n';
        read += read + 1 < text.size() && text[read + 1] == '\n' ? 2 : 1;
        const std::size_t next = std::min(text.find('\r', read), text.size());
        std::copy(text.begin() + static_cast<std::ptrdiff_t>(read), text.begin() + static_cast<std::ptrdiff_t>(next),
                  text.begin() + static_cast<std::ptrdiff_t>(write));
        write += next - read;
        read = next;
    }
    text.resize(write);
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return text;
}

// The line that starts at `at` of `text`, without its line feed.
std::string_view LineAt(std::string_view text, std::size_t at) {
    return text.substr(at, text.find('\n', at) - at);
}

std::size_t NextLine(std::string_view text, std::size_t at) {
    return text.find('\n', at) + 1;
}

// The number of lines of `text`, each ended by a line feed, found a line at a time as the search for one is quicker
// than a look at every byte.
std::size_t LineCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = text.find('\n'); at != npos; at = text.find('\n', at + 1))
        ++count;
    return count;
}

// The offset of the first section header at or after `at`; the text's end when none follows.
std::size_t NextHeader(std::string_view text, std::size_t at) {
    // Only a line that holds a bracket can be a header: the lines between are skipped unread.
    while (at < text.size()) {
        const std::size_t bracket = text.find('[', at);
        if (bracket == npos)
            return text.size();
        const std::size_t start = text.rfind('\n', bracket) + 1;
        if (IsHeader(LineAt(text, start)))
            return start;
        at = NextLine(text, bracket);
    }
    return at;
}

std::string KeyLine(std::string_view key, const QString& value) {
    std::string line(key);
    line += '=';
    line += IniWriteValue(value).toStdString();
    line += '\n';
    return line;
}

} // namespace

TIniFile::NameIndex::NameIndex(std::size_t count)
    : slots_(std::bit_ceil(std::max<std::size_t>(2 * count, 8)), std::numeric_limits<std::uint32_t>::max()) {}

template <class NameAt> std::size_t TIniFile::NameIndex::Slot(std::string_view name, NameAt nameAt) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = FoldedHash(name) & mask;
    while (slots_[slot] != std::numeric_limits<std::uint32_t>::max() && !SameFolded(nameAt(slots_[slot]), name))
        slot = (slot + 1) & mask;
    return slot;
}

template <class NameAt> void TIniFile::NameIndex::AddFirst(std::string_view name, std::size_t at, NameAt nameAt) {
    if (2 * (count_ + 1) > slots_.size()) {
        // Kept at most half full: grown to twice its size when written names fill it.
        NameIndex grown(2 * slots_.size());
        for (const std::uint32_t offset : slots_)
            if (offset != std::numeric_limits<std::uint32_t>::max())
                grown.AddFirst(nameAt(offset), offset, nameAt);
        *this = std::move(grown);
    }
    std::uint32_t& slot = slots_[Slot(name, nameAt)];
    if (slot == std::numeric_limits<std::uint32_t>::max()) {
        slot = static_cast<std::uint32_t>(at);
        ++count_;
        last_ = std::max(last_, at);
    }
}

void TIniFile::NameIndex::Moved(std::size_t at, std::ptrdiff_t by) {
    // Text added after every line it holds, as keys written at the end of a list are, moves none.
    if (at > last_)
        return;
    last_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(last_) + by);
    std::uint32_t* const end = slots_.data() + slots_.size();
    for (std::uint32_t* offset = slots_.data(); offset != end; ++offset)
        if (*offset != std::numeric_limits<std::uint32_t>::max() && *offset >= at)
            *offset = static_cast<std::uint32_t>(static_cast<std::ptrdiff_t>(*offset) + by);
}

template <class NameAt> std::size_t TIniFile::NameIndex::Find(std::string_view name, NameAt nameAt) const {
    const std::uint32_t slot = slots_[Slot(name, nameAt)];
    return slot == std::numeric_limits<std::uint32_t>::max() ? npos : slot;
}

auto TIniFile::SectionNameAt() const {
    return [this](std::size_t at) { return SectionName(LineAt(Text(), at)); };
}

auto TIniFile::KeyNameAt() const {
    return [this](std::size_t at) { return KeyOf(LineAt(Text(), at)); };
}

QStringList ReadIniLines(const QString& fileName) {
    const std::string text = ReadIniText(fileName);
    QStringList lines;
    for (std::size_t at = 0; at < text.size(); at = NextLine(text, at))
        lines << FromUtf8View(LineAt(text, at));
    return lines;
}

TIniFile::TIniFile(QString fileName) : fileName_(std::move(fileName)) {
    std::error_code error;
    if (!std::filesystem::exists(fileName_.toStdString(), error))
        return;
    text_ = std::make_shared<std::string>(ReadIniText(fileName_));
}

std::size_t TIniFile::FindSection(std::string_view name) const {
    const auto nameAt = SectionNameAt();
    if (!sections_) {
        std::size_t count = 0;
        for (std::size_t at = NextHeader(Text(), 0); at < Text().size(); at = NextHeader(Text(), NextLine(Text(), at)))
            ++count;
        sections_.emplace(count);
        for (std::size_t at = NextHeader(Text(), 0); at < Text().size(); at = NextHeader(Text(), NextLine(Text(), at)))
            sections_->AddFirst(nameAt(at), at, nameAt);
    }
    return sections_->Find(name, nameAt);
}

template <class Take> void TIniFile::ForEachKey(std::size_t header, Take take) const {
    const std::size_t body = NextLine(Text(), header);
    const std::size_t end = NextHeader(Text(), body);
    for (std::size_t at = body; at < end;) {
        const std::size_t lineEnd = Text().find('\n', at);
        const std::string_view line(Text().data() + at, lineEnd - at);
        if (IsKey(line))
            take(at, line);
        at = lineEnd + 1;
    }
}

TIniFile::SectionKeys& TIniFile::KeysOf(std::size_t header) const {
    const auto found = std::ranges::find(keys_, header, &SectionKeys::header);
    if (found != keys_.end())
        return *found;
    return keys_.emplace_back(SectionKeys{header, npos, std::nullopt});
}

std::size_t TIniFile::EndOf(SectionKeys& section) const {
    if (section.end == npos) {
        section.end = NextLine(Text(), section.header);
        for (std::size_t at = section.end; at < Text().size() && !IsHeader(LineAt(Text(), at));
             at = NextLine(Text(), at))
            if (!Trimmed(LineAt(Text(), at)).empty())
                section.end = NextLine(Text(), at);
    }
    return section.end;
}

std::size_t TIniFile::FindKey(std::size_t header, std::string_view key) const {
    SectionKeys& section = KeysOf(header);
    std::size_t first = npos;
    if (!section.keys && !section.lookedUp) {
        section.lookedUp = true;
        ForEachKey(header, [&](std::size_t at, std::string_view line) {
            if (first == npos && SameFolded(KeyOf(line), key))
                first = at;
        });
        return first;
    }
    if (!section.keys) {
        std::size_t count = 0;
        ForEachKey(header, [&count](std::size_t, std::string_view) { ++count; });
        section.keys.emplace(count);
        ForEachKey(header, [&](std::size_t at, std::string_view line) {
            section.keys->AddFirst(KeyOf(line), at, KeyNameAt());
        });
    }
    return section.keys->Find(key, KeyNameAt());
}

std::size_t TIniFile::FindKey(const QString& section, const QString& key) const {
    const std::size_t header = FindSection(ToUtf8(section));
    return header == npos ? npos : FindKey(header, ToUtf8(key));
}

void TIniFile::Changed() {
    sections_.reset();
    keys_.clear();
    changed_ = true;
}

void TIniFile::Splice(std::size_t from, std::size_t to, std::string_view text) {
    Writable().replace(from, to - from, text);
    changed_ = true;
    const std::ptrdiff_t by = static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(to - from);
    if (sections_)
        sections_->Moved(to, by);
    const auto moved = [to, by](std::size_t& offset) {
        if (offset >= to && offset != npos)
            offset = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(offset) + by);
    };
    for (SectionKeys& section : keys_) {
        moved(section.header);
        moved(section.end);
        if (section.keys)
            section.keys->Moved(to, by);
    }
}

void TIniFile::Replace(std::size_t from, std::size_t to, std::string_view text) {
    Writable().replace(from, to - from, text);
    Changed();
}

template <class Keep> void TIniFile::KeepLines(std::size_t from, std::size_t to, Keep keep) {
    std::string& text = Writable();
    std::size_t write = from;
    for (std::size_t read = from; read < to;) {
        const std::size_t next = NextLine(Text(), read);
        if (keep(LineAt(Text(), read))) {
            std::copy(text.begin() + static_cast<std::ptrdiff_t>(read),
                      text.begin() + static_cast<std::ptrdiff_t>(next),
                      text.begin() + static_cast<std::ptrdiff_t>(write));
            write += next - read;
        }
        read = next;
    }
    Replace(write, to, {});
}

std::size_t TIniFile::SectionForWriting(const QString& name) {
    const std::string utf8 = ToUtf8(name);
    const std::size_t header = FindSection(utf8);
    if (header != npos)
        return header;
    const std::size_t end = Text().size();
    // A section that ends at the text's end ends before the new header: its end is found again when needed.
    for (SectionKeys& keys : keys_)
        if (keys.end == end)
            keys.end = npos;
    Splice(end, end, '[' + utf8 + "]\n");
    if (sections_)
        sections_->AddFirst(utf8, end, SectionNameAt());
    return end;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const std::size_t line = FindKey(section, key);
    return line == npos ? defaultValue : FromUtf8View(ValueOf(LineAt(Text(), line)));
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const std::size_t line = FindKey(section, key);
    if (line != npos) {
        const std::string_view old = LineAt(Text(), line);
        Splice(line, line + old.size() + 1, KeyLine(KeyOf(old), value));
        return;
    }
    SectionKeys& keys = KeysOf(SectionForWriting(section));
    const std::size_t end = EndOf(keys);
    const std::string name = ToUtf8(key);
    // The section's end moves past the new line.
    Splice(end, end, KeyLine(name, value));
    if (keys.keys)
        keys.keys->AddFirst(name, end, KeyNameAt());
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
    if (const std::size_t header = FindSection(ToUtf8(section)); header != npos)
        ForEachKey(header, [&pairs](std::size_t, std::string_view line) {
            pairs.emplace_back(FromUtf8View(KeyOf(line)), FromUtf8View(ValueOf(line)));
        });
    return pairs;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    if (const std::size_t header = FindSection(ToUtf8(section)); header != npos)
        ForEachKey(header, [&keys](std::size_t, std::string_view line) { keys << FromUtf8View(KeyOf(line)); });
    return keys;
}

bool TIniFile::SectionExists(const QString& section) const {
    const std::size_t header = FindSection(ToUtf8(section));
    bool found = false;
    if (header != npos)
        ForEachKey(header, [&found](std::size_t, std::string_view) { found = true; });
    return found;
}

template <class Take, class Restart>
bool TIniFile::ForEachNumberedValue(const QString& section, const QString& prefix, Take take, Restart restart) const {
    const std::size_t header = FindSection(ToUtf8(section));
    if (header == npos)
        return false;
    const std::string utf8Prefix = ToUtf8(prefix);
    // The lists this program writes hold their numbered keys in order and once each: then they are read in one
    // walk, without an index.
    qsizetype taken = 0;
    bool inOrder = true;
    bool anyKey = false;
    ForEachKey(header, [&](std::size_t, std::string_view line) {
        anyKey = true;
        const auto number = inOrder ? KeyNumber(KeyOf(line), utf8Prefix) : std::nullopt;
        if (!number)
            return;
        if (*number != taken) {
            inOrder = false;
            return;
        }
        take(ValueOf(line));
        ++taken;
    });
    if (!anyKey)
        return false;
    if (inOrder)
        return true;
    restart();
    // A number folds to itself: the key is folded once, with its prefix.
    for (int i = 0;; ++i) {
        const std::size_t line = FindKey(header, utf8Prefix + std::to_string(i));
        if (line == npos)
            return true;
        take(ValueOf(LineAt(Text(), line)));
    }
}

std::optional<QStringList> TIniFile::ReadNumberedValues(const QString& section, const QString& prefix) const {
    QStringList values;
    if (!ForEachNumberedValue(
            section, prefix, [&values](std::string_view value) { values << FromUtf8View(value); },
            [&values] { values.clear(); }))
        return std::nullopt;
    return values;
}

std::optional<LineList> TIniFile::ReadNumberedUtf8Values(const QString& section, const QString& prefix) const {
    // Room for every line of the section, counted without reading them: the values are read in one walk, as views
    // of the text, which the list shares.
    std::size_t lines = 0;
    if (const std::size_t header = FindSection(ToUtf8(section)); header != npos) {
        const std::size_t body = NextLine(Text(), header);
        lines = LineCount(std::string_view(Text()).substr(body, NextHeader(Text(), body) - body));
    }
    LineList values(text_, lines);
    if (!ForEachNumberedValue(
            section, prefix, [&values](std::string_view value) { values.AddView(value); },
            [&values] { values.clear(); }))
        return std::nullopt;
    return values;
}

std::string& TIniFile::Writable() {
    // A list read from the file keeps the text it was read from.
    if (text_.use_count() > 1)
        text_ = std::make_shared<std::string>(*text_);
    return *text_;
}

QStringList TIniFile::SectionNames() const {
    QStringList names;
    AnySectionNamed([&names](const QString& name) {
        names << name;
        return false;
    });
    return names;
}

bool TIniFile::AnySectionNamed(const std::function<bool(const QString&)>& test) const {
    for (std::size_t at = NextHeader(Text(), 0); at < Text().size(); at = NextHeader(Text(), NextLine(Text(), at))) {
        bool keys = false;
        ForEachKey(at, [&keys](std::size_t, std::string_view) { keys = true; });
        if (keys && test(FromUtf8View(SectionName(LineAt(Text(), at)))))
            return true;
    }
    return false;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return FindKey(section, key) != npos;
}

void TIniFile::EraseSection(const QString& section) {
    const std::string name = ToUtf8(section);
    const auto named = [&name](std::string_view line) { return SameFolded(SectionName(line), name); };
    const std::size_t first = FindSection(name);
    if (first == npos)
        return;
    bool inErased = false;
    KeepLines(first, Text().size(), [&](std::string_view line) {
        if (IsHeader(line))
            inErased = named(line);
        return !inErased;
    });
}

void TIniFile::ReplaceSection(const QString& section, const std::vector<std::pair<QString, QString>>& pairs) {
    if (pairs.empty()) {
        EraseSection(section);
        return;
    }
    const std::size_t header = SectionForWriting(section);
    std::string lines;
    for (const auto& [key, value] : pairs)
        lines += KeyLine(ToUtf8(key), value);
    const std::size_t body = NextLine(Text(), header);
    Replace(body, NextHeader(Text(), body), lines);
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    const std::size_t header = FindSection(ToUtf8(section));
    if (header == npos || FindKey(header, ToUtf8(key)) == npos)
        return;
    const std::string name = ToUtf8(key);
    const std::size_t body = NextLine(Text(), header);
    KeepLines(body, NextHeader(Text(), body),
              [&name](std::string_view line) { return !IsKey(line) || !SameFolded(KeyOf(line), name); });
}

void TIniFile::Save() {
    if (!changed_)
        return;
    // Every line feed is written as CR LF, a piece at a time: a long file needs no second copy of its text.
    constexpr std::size_t PieceSize = 1 << 16;
    const std::string path = fileName_.toStdString();
    try {
        // A settings file holds the server's passwords: a new one is for its owner's eyes only.
        AtomicFileWriter file(path, PrivateFileMode, ReplacedFile::KeepsModeAndOwner);
        std::string piece;
        piece.reserve(PieceSize);
        for (std::size_t at = 0; at < Text().size(); at = NextLine(Text(), at)) {
            piece.append(LineAt(Text(), at)).append("\r\n");
            if (piece.size() >= PieceSize) {
                file.Write(piece);
                piece.clear();
            }
        }
        file.Write(piece);
        file.Commit();
    } catch (const FileError& error) {
        throw std::runtime_error("Impossible d'écrire dans " + path + " (" + error.Reason() + ")");
    }
    changed_ = false;
}

TIniFile TIniFile::Empty(QString fileName) {
    TIniFile ini;
    ini.fileName_ = std::move(fileName);
    return ini;
}
