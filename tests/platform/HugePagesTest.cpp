// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HugePages.h"

#include <gtest/gtest.h>

#include <string>

// The hint changes how memory is given, never what it holds: memory written before and after it keeps its content,
// whatever part of a huge page the range covers.
TEST(HugePages, TheHintLeavesTheMemoryAsItWas) {
    constexpr std::size_t MiB = 1024 * 1024;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, 2 * MiB - 1, 2 * MiB, 5 * MiB + 3}) {
        std::string text(size / 2, 'a');
        text.reserve(size);
        PreferHugePages(text.data(), text.capacity());
        text.resize(size, 'b');
        std::string expected(size / 2, 'a');
        expected.resize(size, 'b');
        EXPECT_EQ(text, expected) << size;
    }
}
