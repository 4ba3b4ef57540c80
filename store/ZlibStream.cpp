#include "store/ZlibStream.h"

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

// Bytes of `buffer` that zlib has filled: its size less what is still free.
std::size_t Filled(const std::vector<char>& buffer, const z_stream& stream) {
    return buffer.size() - stream.avail_out;
}

Bytef* AsBytes(char* data) {
    return reinterpret_cast<Bytef*>(data);
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
    std::vector<char> output(StreamChunkSize);
    for (bool finished = false; !finished;) {
        sizes.real += static_cast<std::int64_t>(got);
        // A short read is the end of the source; a full last chunk is followed by an empty read.
        finished = got < input.size();
        stream->next_in = AsBytes(input.data());
        stream->avail_in = static_cast<uInt>(got);
        // Deflate until it leaves room in the output: all input taken, or with Z_FINISH the stream ended.
        do {
            stream->next_out = AsBytes(output.data());
            stream->avail_out = static_cast<uInt>(output.size());
            if (deflate(stream.get(), finished ? Z_FINISH : Z_NO_FLUSH) == Z_STREAM_ERROR)
                throw std::runtime_error("Erreur de compression zlib");
            target.WriteAt(sizes.packed, output.data(), Filled(output, *stream.get()));
            sizes.packed += static_cast<std::int64_t>(Filled(output, *stream.get()));
        } while (stream->avail_out == 0);
        if (progress)
            progress(sizes.real);
        if (!finished)
            got = source.ReadAt(sizes.real, input.data(), input.size());
    }
    return sizes;
}

void InflateFile(const TFileHandle& source, std::int64_t offset, std::int64_t packedSize, std::int64_t realSize,
                 TFileHandle& target) {
    TZStream stream(false);
    if (inflateInit2(stream.get(), WindowBits) != Z_OK)
        throw std::runtime_error("Erreur d'initialisation de zlib");
    std::vector<char> input(StreamChunkSize);
    std::vector<char> output(StreamChunkSize);
    std::int64_t consumed = 0;
    std::int64_t produced = 0;
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
        stream->next_out = AsBytes(output.data());
        stream->avail_out = static_cast<uInt>(output.size());
        result = inflate(stream.get(), Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            throw EZlibData(stream->msg ? stream->msg : "flux zlib invalide");
        const auto filled = static_cast<std::int64_t>(Filled(output, *stream.get()));
        // A stream that gives more than announced stops here, so a small member cannot fill the disk.
        if (produced + filled > realSize)
            throw EZlibData("le flux dépasse la taille annoncée");
        target.WriteAt(produced, output.data(), static_cast<std::size_t>(filled));
        produced += filled;
    }
    if (produced != realSize)
        throw EZlibData("le flux s'arrête avant la taille annoncée");
}
