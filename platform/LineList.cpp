// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LineList.h"

#include <algorithm>

template <class Range> void LineList::Copy(const Range& lines) {
    auto text = std::make_shared<std::string>();
    std::size_t size = 0;
    for (const auto& line : lines)
        size += std::string_view(line).size();
    // Sized first: the views are taken of a text that no longer moves.
    text->reserve(size);
    for (const auto& line : lines)
        text->append(line);
    lines_.reserve(lines.size());
    std::size_t at = 0;
    for (const auto& line : lines) {
        const std::size_t length = std::string_view(line).size();
        lines_.emplace_back(text->data() + at, length);
        at += length;
    }
    text_ = std::move(text);
}

LineList::LineList(std::initializer_list<std::string_view> lines) {
    Copy(lines);
}

LineList::LineList(const std::vector<std::string>& lines) {
    Copy(lines);
}

LineList::LineList(std::shared_ptr<const std::string> text, std::vector<std::string_view> lines)
    : text_(std::move(text)), lines_(std::move(lines)) {}

bool operator==(const LineList& a, const std::vector<std::string>& b) {
    return std::ranges::equal(a, b);
}
