// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A member of an archive made by a test.
struct TestMember {
    std::string name; // as stored, bytes
    std::string content;
    bool deflate = false;
    int host = 3;        // host system byte of the version made by (3: Unix, 0: MS-DOS)
    int zipVersion = 20; // zip format version byte of the version made by (20: 2.0)
    std::uint16_t flags = 0;
    std::uint16_t time = 0x6000;                               // 12:00:00
    std::uint16_t date = ((2020 - 1980) << 9) | (6 << 5) | 15; // 2020-06-15
};

// A whole zip archive holding `members` in order, with `comment` after its end record.
std::string MakeZip(const std::vector<TestMember>& members, const std::string& comment = {});

// Where the data of member `index` begins inside an archive that MakeZip made.
std::size_t DataOffset(const std::vector<TestMember>& members, std::size_t index);

// The folder of the unzip library built with the tests, and of the peer archives copied into the tests.
std::string UnzipLibraryFolder();
std::string PeerArchive(const std::string& name);

// Links the unzip library of the build into `programFolder`, where a program that sits there looks for it.
void PlaceUnzipLibraryBeside(const std::string& programFolder);
