// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Lines of text, top to bottom, held as views of one text that a list shares with its copies and with the settings
// file it was read from: a long list costs one view a line and no allocation of its own.
class LineList {
public:
    using value_type = std::string_view;
    using const_iterator = std::vector<std::string_view>::const_iterator;
    using iterator = const_iterator;

    LineList() = default;
    LineList(std::initializer_list<std::string_view> lines);
    // The lines copied into one text of the list's own.
    LineList(const std::vector<std::string>& lines);
    // Views of `text`, which the list keeps.
    LineList(std::shared_ptr<const std::string> text, std::vector<std::string_view> lines);

    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    std::string_view operator[](std::size_t index) const { return lines_[index]; }
    const_iterator begin() const { return lines_.begin(); }
    const_iterator end() const { return lines_.end(); }

    void clear() { lines_.clear(); }
    // Removes the line at `at`; the text stays as it is.
    void erase(const_iterator at) { lines_.erase(at); }
    // The lines, each as a string of its own.
    std::vector<std::string> Strings() const { return {lines_.begin(), lines_.end()}; }

    friend bool operator==(const LineList& a, const LineList& b) { return a.lines_ == b.lines_; }
    friend bool operator==(const LineList& a, const std::vector<std::string>& b);

private:
    template <class Range> void Copy(const Range& lines);

    std::shared_ptr<const std::string> text_;
    std::vector<std::string_view> lines_;
};
