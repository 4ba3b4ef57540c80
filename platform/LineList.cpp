// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LineList.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

// A place or size in a list's text, which stays below 4 GiB.
std::uint32_t Offset(std::size_t offset) {
    if (offset > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("a list's text is limited to 4 GiB");
    return static_cast<std::uint32_t>(offset);
}

} // namespace

template <class Range> void LineList::Copy(const Range& lines) {
    auto text = std::make_shared<std::string>();
    std::size_t size = 0;
    for (const auto& line : lines)
        size += std::string_view(line).size();
    text->reserve(size);
    spans_.reserve(lines.size());
    for (const auto& line : lines) {
        spans_.push_back({Offset(text->size()), Offset(std::string_view(line).size())});
        text->append(line);
    }
    text_ = std::move(text);
}

LineList::LineList(std::initializer_list<std::string_view> lines) {
    Copy(lines);
}

LineList::LineList(const std::vector<std::string>& lines) {
    Copy(lines);
}

LineList::LineList(std::shared_ptr<const std::string> text, std::size_t count) : text_(std::move(text)) {
    spans_.reserve(count);
}

void LineList::AddView(std::string_view line) {
    spans_.push_back({Offset(static_cast<std::size_t>(line.data() - text_->data())), Offset(line.size())});
}

bool operator==(const LineList& a, const LineList& b) {
    return std::ranges::equal(a, b);
}

bool operator==(const LineList& a, const std::vector<std::string>& b) {
    return std::ranges::equal(a, b);
}
