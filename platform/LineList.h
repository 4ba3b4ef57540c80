// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Lines of text, top to bottom, held as places in one text that a list shares with its copies and with the settings
// file it was read from: a long list costs eight bytes a line and no allocation of its own. A list's text stays below
// 4 GiB.
class LineList {
    // Where a line is in the text.
    struct Span {
        std::uint32_t at;
        std::uint32_t size;
    };

public:
    // Gives each line as a view of the text.
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        std::string_view operator*() const { return {text_ + span_->at, span_->size}; }
        std::string_view operator[](difference_type n) const { return *(*this + n); }
        const_iterator& operator++() { return *this += 1; }
        const_iterator operator++(int) { return std::exchange(*this, *this + 1); }
        const_iterator& operator--() { return *this -= 1; }
        const_iterator operator--(int) { return std::exchange(*this, *this - 1); }
        const_iterator& operator+=(difference_type n) {
            span_ += n;
            return *this;
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
        friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
        friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) { return a.span_ - b.span_; }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.span_ == b.span_; }
        friend bool operator<(const const_iterator& a, const const_iterator& b) { return a.span_ < b.span_; }
        friend bool operator>(const const_iterator& a, const const_iterator& b) { return b < a; }
        friend bool operator<=(const const_iterator& a, const const_iterator& b) { return !(b < a); }
        friend bool operator>=(const const_iterator& a, const const_iterator& b) { return !(a < b); }

    private:
        friend class LineList;
        const_iterator(const char* text, const Span* span) : text_(text), span_(span) {}
        const char* text_ = nullptr;
        const Span* span_ = nullptr;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;

    LineList() = default;
    LineList(std::initializer_list<std::string_view> lines);
    // The lines copied into one text of the list's own.
    LineList(const std::vector<std::string>& lines);
    // No line yet, room for `count`, of `text`, which the list keeps.
    LineList(std::shared_ptr<const std::string> text, std::size_t count);

    // Adds `line`, a view of the list's text.
    void AddView(std::string_view line);

    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }
    std::string_view operator[](std::size_t index) const { return begin()[static_cast<std::ptrdiff_t>(index)]; }
    const_iterator begin() const { return {Base(), spans_.data()}; }
    const_iterator end() const { return {Base(), spans_.data() + spans_.size()}; }

    void clear() { spans_.clear(); }
    // Removes the line at `at`; the text stays as it is.
    void erase(const_iterator at) { spans_.erase(spans_.begin() + (at.span_ - spans_.data())); }
    // The lines, each as a string of its own.
    std::vector<std::string> Strings() const { return {begin(), end()}; }

    friend bool operator==(const LineList& a, const LineList& b);
    friend bool operator==(const LineList& a, const std::vector<std::string>& b);

private:
    template <class Range> void Copy(const Range& lines);
    const char* Base() const { return text_ ? text_->data() : nullptr; }

    std::shared_ptr<const std::string> text_;
    std::vector<Span> spans_;
};
