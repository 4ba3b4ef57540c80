// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ZlibStream.h"

#include "store/BackgroundWriter.h"

#include <algorithm>
#include <vector>

#include <zlib.h>

namespace {

constexpr int WindowBits = 15;
constexpr int MemoryLevel = 8;

// A z_stream set up for deflate or inflate, ended when it goes.
class TZStream {
public:
    explicit TZStream(bool deflating) : deflating_(deflating) {}
    TZStream(const TZStream&) = delete;
    TZStream& operator=(const TZStream&) = delete;
    ~TZStream() {
        if (deflating_)
            deflateEnd(&stream_);
        else
            inflateEnd(&stream_);
    }
    z_stream* operator->() { return &stream_; }
    z_stream* get() { return &stream_; }

private:
    bool deflating_;
    z_stream stream_{};
};

Bytef* AsBytes(char* data) {
    return reinterpret_cast<Bytef*>(data);
}

// Points zlib's output at the writer's next buffer.
void NextOutput(z_stream& stream, TBackgroundWriter& writer) {
    stream.next_out = AsBytes(writer.Buffer());
    stream.avail_out = static_cast<uInt>(StreamChunkSize);
}

// Bytes that zlib has put in the writer's current buffer.
std::size_t Filled(const z_stream& stream) {
    return StreamChunkSize - stream.avail_out;
}

} // namespace

TPackedSizes DeflateFile(const TFileHandle& source, TFileHandle& target, int level, const TPackProgress& progress) {
    TPackedSizes sizes;
    std::vector<char> input(StreamChunkSize);
    std::size_t got = source.ReadAt(0, input.data(), input.size());
    if (got == 0)
        return sizes;
    TZStream stream(true);
    if (deflateInit2(stream.get(), level, Z_DEFLATED, WindowBits, MemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("Erreur d'initialisation de zlib");
    TBackgroundWriter writer(target);
    NextOutput(*stream.get(), writer);
    for (bool finished = false; !finished;) {
        sizes.real += static_cast<std::int64_t>(got);
        // A short read is the end of the source; a full last chunk is followed by an empty read.
        finished = got < input.size();
        stream->next_in = AsBytes(input.data());
        stream->avail_in = static_cast<uInt>(got);
        int result = Z_OK;
        do {
            result = deflate(stream.get(), finished ? Z_FINISH : Z_NO_FLUSH);
            if (result == Z_STREAM_ERROR)
                throw std::runtime_error("Erreur de compression zlib");
            if (stream->avail_out == 0 || result == Z_STREAM_END) {
                sizes.packed += static_cast<std::int64_t>(Filled(*stream.get()));
                writer.Submit(Filled(*stream.get()));
                NextOutput(*stream.get(), writer);
            }
        } while (stream->avail_in > 0 || (finished && result != Z_STREAM_END));
        if (progress)
            progress(sizes.real);
        if (!finished)
            got = source.ReadAt(sizes.real, input.data(), input.size());
    }
    writer.Finish();
    return sizes;
}

void InflateFile(const TFileHandle& source, std::int64_t offset, std::int64_t packedSize, std::int64_t realSize,
                 TFileHandle& target) {
    TZStream stream(false);
    if (inflateInit2(stream.get(), WindowBits) != Z_OK)
        throw std::runtime_error("Erreur d'initialisation de zlib");
    std::vector<char> input(StreamChunkSize);
    TBackgroundWriter writer(target);
    NextOutput(*stream.get(), writer);
    std::int64_t consumed = 0;
    std::int64_t written = 0;
    for (int result = Z_OK; result != Z_STREAM_END;) {
        if (stream->avail_in == 0) {
            const auto want = static_cast<std::size_t>(std::min<std::int64_t>(packedSize - consumed, StreamChunkSize));
            if (want == 0)
                throw EZlibData("flux zlib incomplet");
            const std::size_t got = source.ReadAt(offset + consumed, input.data(), want);
            if (got != want)
                throw EZlibData("données tronquées");
            consumed += static_cast<std::int64_t>(got);
            stream->next_in = AsBytes(input.data());
            stream->avail_in = static_cast<uInt>(got);
        }
        result = inflate(stream.get(), Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            throw EZlibData(stream->msg ? stream->msg : "flux zlib invalide");
        // A stream that gives more than announced stops here, so a small member cannot fill the disk.
        if (written + static_cast<std::int64_t>(Filled(*stream.get())) > realSize)
            throw EZlibData("le flux dépasse la taille annoncée");
        if (stream->avail_out == 0 || result == Z_STREAM_END) {
            written += static_cast<std::int64_t>(Filled(*stream.get()));
            writer.Submit(Filled(*stream.get()));
            NextOutput(*stream.get(), writer);
        }
    }
    writer.Finish();
    if (written != realSize)
        throw EZlibData("le flux s'arrête avant la taille annoncée");
}
