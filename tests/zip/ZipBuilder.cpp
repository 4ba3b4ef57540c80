// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip/ZipBuilder.h"

#include "platform/Paths.h"
#include "zip/Zip.h"

#include <zlib.h>

#include <filesystem>
#include <stdexcept>

namespace {

void Put(std::string& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Deflate(const std::string& content) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, content.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Packed(const TestMember& member) {
    return member.deflate ? Deflate(member.content) : member.content;
}

// The fields shared by the local and the central header, from "version needed" to "extra field length".
void PutCommonFields(std::string& out, const TestMember& member, std::size_t packedSize) {
    Put(out, 20, 2);
    Put(out, member.flags, 2);
    Put(out, member.deflate ? 8 : 0, 2);
    Put(out, member.time, 2);
    Put(out, member.date, 2);
    Put(out,
        static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(member.content.data()), static_cast<uInt>(member.content.size()))),
        4);
    Put(out, static_cast<std::uint32_t>(packedSize), 4);
    Put(out, static_cast<std::uint32_t>(member.content.size()), 4);
    Put(out, static_cast<std::uint32_t>(member.name.size()), 2);
    Put(out, 0, 2);
}

} // namespace

std::string MakeZip(const std::vector<TestMember>& members, const std::string& comment) {
    std::string out, directory;
    for (const TestMember& member : members) {
        const std::string packed = Packed(member);
        const auto offset = static_cast<std::uint32_t>(out.size());
        Put(out, 0x04034B50, 4);
        PutCommonFields(out, member, packed.size());
        out += member.name;
        out += packed;

        Put(directory, 0x02014B50, 4);
        Put(directory, static_cast<std::uint32_t>((member.host << 8) | member.zipVersion), 2);
        PutCommonFields(directory, member, packed.size());
        Put(directory, 0, 2); // comment length
        Put(directory, 0, 2); // disk number
        Put(directory, 0, 2); // internal attributes
        Put(directory, 0, 4); // external attributes
        Put(directory, offset, 4);
        directory += member.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    Put(out, 0x06054B50, 4);
    Put(out, 0, 2);
    Put(out, 0, 2);
    Put(out, static_cast<std::uint32_t>(members.size()), 2);
    Put(out, static_cast<std::uint32_t>(members.size()), 2);
    Put(out, static_cast<std::uint32_t>(directory.size()), 4);
    Put(out, directoryOffset, 4);
    Put(out, static_cast<std::uint32_t>(comment.size()), 2);
    out += comment;
    return out;
}

std::size_t DataOffset(const std::vector<TestMember>& members, std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i)
        offset += 30 + members[i].name.size() + Packed(members[i]).size();
    return offset + 30 + members[index].name.size();
}

std::string UnzipLibraryFolder() {
    return QUENDRY_UNZDLL_FOLDER;
}

void PlaceUnzipLibraryBeside(const std::string& programFolder) {
    std::filesystem::create_symlink(JoinPath(UnzipLibraryFolder(), UnzipLibraryName),
                                    JoinPath(programFolder, UnzipLibraryName));
}

std::string PeerArchive(const std::string& name) {
    return JoinPath(QUENDRY_ZIP_PEERS, name);
}
