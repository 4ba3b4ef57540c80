// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ZlibStream.h"

#include "StoreTestSupport.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <zlib.h>

namespace {

// Sizes around the chunk size and beyond the writer's ring of buffers, where the streaming loops turn.
TEST(ZlibStreamTest, PackingAndUnpackingRoundTripAcrossChunkBoundaries) {
    const std::vector<std::size_t> sizes{1, StreamChunkSize - 1, StreamChunkSize, StreamChunkSize + 1,
                                         9 * StreamChunkSize + 7};
    TestFolder folder;
    for (const std::size_t size : sizes) {
        const std::string content = SampleText(size / 2) + RandomBytes(size - size / 2, static_cast<unsigned>(size));
        const TFileHandle source(folder.Write("source", content), O_RDONLY);
        TFileHandle packed(folder.File("packed"), O_RDWR | O_CREAT | O_TRUNC);
        std::vector<std::int64_t> progress;
        const TPackedSizes sizesOut =
            DeflateFile(source, packed, Z_DEFAULT_COMPRESSION, [&](std::int64_t done) { progress.push_back(done); });
        EXPECT_EQ(sizesOut.real, static_cast<std::int64_t>(size));
        EXPECT_EQ(folder.Read("packed"), ZlibCompress(content, Z_DEFAULT_COMPRESSION)) << size;
        EXPECT_EQ(sizesOut.packed, packed.Size());
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), static_cast<std::int64_t>(size));

        TFileHandle unpacked(folder.File("unpacked"), O_RDWR | O_CREAT | O_TRUNC);
        InflateFile(packed, 0, sizesOut.packed, sizesOut.real, unpacked);
        EXPECT_EQ(folder.Read("unpacked"), content) << size;
    }
}

TEST(ZlibStreamTest, EmptySourceGivesNoStream) {
    TestFolder folder;
    const TFileHandle source(folder.Write("empty", ""), O_RDONLY);
    TFileHandle packed(folder.File("packed"), O_RDWR | O_CREAT | O_TRUNC);
    const TPackedSizes sizes = DeflateFile(source, packed, Z_DEFAULT_COMPRESSION, {});
    EXPECT_EQ(sizes.real, 0);
    EXPECT_EQ(sizes.packed, 0);
    EXPECT_EQ(packed.Size(), 0);
}

TEST(ZlibStreamTest, AFailingWriteReachesTheCallerBothWays) {
    TestFolder folder;
    const std::string content = RandomBytes(3 * StreamChunkSize, 1);
    const TFileHandle source(folder.Write("source", content), O_RDONLY);
    const TFileHandle packed(folder.Write("packed", ZlibCompress(content, 1)), O_RDONLY);
    for (int way = 0; way < 2; ++way) {
        TFileHandle full("/dev/full", O_WRONLY);
        try {
            if (way == 0)
                DeflateFile(source, full, 1, {});
            else
                InflateFile(packed, 0, packed.Size(), static_cast<std::int64_t>(content.size()), full);
            FAIL() << "no error " << way;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "Erreur d'écriture du fichier /dev/full (No space left on device)");
        }
    }
}

} // namespace
