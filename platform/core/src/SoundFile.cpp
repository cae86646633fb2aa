#include "core/SoundFile.h"

#include <algorithm>
#include <memory>
#include <sndfile.h>
#include <yake/FileText.h>

namespace kavri3D {
namespace core {

namespace {

/// The file's bytes as libsndfile reads them: a read-only stream over memory.
struct MemoryStream {
    const std::string* bytes;
    sf_count_t pos = 0;

    static sf_count_t length(void* self)
    {
        return static_cast<sf_count_t>(static_cast<MemoryStream*>(self)->bytes->size());
    }
    static sf_count_t seek(sf_count_t offset, int whence, void* self)
    {
        MemoryStream* s = static_cast<MemoryStream*>(self);
        const sf_count_t size = length(self);
        sf_count_t to = offset;
        if (whence == SEEK_CUR)
            to = s->pos + offset;
        else if (whence == SEEK_END)
            to = size + offset;
        if (to < 0 || to > size)
            return -1;
        s->pos = to;
        return to;
    }
    static sf_count_t read(void* out, sf_count_t count, void* self)
    {
        MemoryStream* s = static_cast<MemoryStream*>(self);
        const sf_count_t n = std::max<sf_count_t>(0, std::min(count, length(self) - s->pos));
        std::copy_n(s->bytes->data() + s->pos, n, static_cast<char*>(out));
        s->pos += n;
        return n;
    }
    static sf_count_t write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t tell(void* self) { return static_cast<MemoryStream*>(self)->pos; }
};

std::uint32_t readLe32(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint32_t readBe32(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3]));
}

/// An MP3 whose length tag (Xing or Info, in its first frame) counts more bytes than there are.
/// The decoder would notice too, but only with a warning of its own on stderr.
bool mpegCutShort(const std::string& b)
{
    std::size_t at = 0;
    if (b.size() >= 10 && b.compare(0, 3, "ID3") == 0) {
        // The tag's size is stored seven bits a byte.
        std::size_t tag = 0;
        for (int i = 6; i < 10; ++i)
            tag = (tag << 7) | (static_cast<unsigned char>(b[static_cast<std::size_t>(i)]) & 0x7f);
        at = 10 + tag + ((static_cast<unsigned char>(b[5]) & 0x10) ? 10 : 0);
    }
    if (at + 4 > b.size())
        return false;
    const unsigned char b1 = static_cast<unsigned char>(b[at + 1]);
    if (static_cast<unsigned char>(b[at]) != 0xff || (b1 & 0xe0) != 0xe0 || ((b1 >> 1) & 3) != 1 ||
        ((b1 >> 3) & 3) == 1)
        return false; // not the start of an MPEG layer III frame
    const bool mpeg1 = ((b1 >> 3) & 3) == 3;
    const bool mono = ((static_cast<unsigned char>(b[at + 3]) >> 6) & 3) == 3;
    const std::size_t tag = at + 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (tag + 16 > b.size() || (b.compare(tag, 4, "Xing") != 0 && b.compare(tag, 4, "Info") != 0))
        return false;
    const std::uint32_t flags = readBe32(b, tag + 4);
    if (!(flags & 2))
        return false;
    const std::size_t bytesAt = tag + 8 + ((flags & 1) ? 4 : 0);
    return bytesAt + 4 <= b.size() && readBe32(b, bytesAt) > b.size();
}

/// True when the container says it is longer than the bytes we have. WAV and AIFF decoders
/// quietly play what is there, and an OGG stream cut short just ends early; both would loop a
/// broken piece of music for the rest of the game.
bool containerCutShort(const std::string& b)
{
    if (b.size() >= 12 &&
        (b.compare(0, 4, "RIFF") == 0 || b.compare(0, 4, "RIFX") == 0 || b.compare(0, 4, "FORM") == 0)) {
        const std::uint32_t declared = b[3] == 'X' || b[0] == 'F' ? readBe32(b, 4) : readLe32(b, 4);
        // Streaming writers leave 0 or all ones here; a missing pad byte is not worth a refusal.
        if (declared == 0 || declared == 0xffffffffu)
            return false;
        return static_cast<std::uint64_t>(declared) + 8 > b.size() + 1;
    }
    if (b.compare(0, 4, "OggS") != 0)
        return mpegCutShort(b);
    // Walk the pages: the last one must be whole and close its stream.
    std::size_t at = 0;
    bool ended = false;
    while (at < b.size()) {
        const std::size_t left = b.size() - at;
        const std::size_t head = std::min<std::size_t>(4, left);
        if (b.compare(at, head, "OggS", 0, head) != 0)
            break; // something else follows the stream (a tag): the pages so far decide
        if (left < 27)
            return true;
        const std::size_t segments = static_cast<unsigned char>(b[at + 26]);
        if (b.size() - at < 27 + segments)
            return true;
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i)
            body += static_cast<unsigned char>(b[at + 27 + i]);
        const std::size_t page = 27 + segments + body;
        if (b.size() - at < page)
            return true;
        ended = (static_cast<unsigned char>(b[at + 5]) & 0x04) != 0;
        at += page;
    }
    return !ended;
}

struct SndFileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

} // namespace

bool SoundFile::load(const std::string& path, std::string& error)
{
    std::string bytes;
    if (!yake::FileText::read(path, bytes, error, kFileLimit))
        return false;
    return decode(bytes, error);
}

bool SoundFile::decode(const std::string& bytes, std::string& error)
{
    mSamples.clear();
    mChannels = 0;
    mRate = 0;
    if (bytes.empty()) {
        error = "empty";
        return false;
    }
    if (bytes.size() > kFileLimit) {
        error = "larger than " + std::to_string(kFileLimit) + " bytes";
        return false;
    }
    if (containerCutShort(bytes)) {
        error = "cut short";
        return false;
    }
    MemoryStream stream{&bytes};
    SF_VIRTUAL_IO io = {&MemoryStream::length, &MemoryStream::seek, &MemoryStream::read, &MemoryStream::write,
                        &MemoryStream::tell};
    SF_INFO info = {};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &stream));
    if (!file) {
        error = std::string("not a sound (") + sf_strerror(nullptr) + ")";
        return false;
    }
    if (info.channels < 1 || info.channels > 8 || info.samplerate < 1000 || info.samplerate > 192000) {
        error =
            "unplayable: " + std::to_string(info.channels) + " channels at " + std::to_string(info.samplerate) + " Hz";
        return false;
    }
    // More than two channels are mixed down to one: the game's sounds sit in the middle.
    const int in = info.channels;
    const int out = in <= 2 ? in : 1;
    const std::size_t chunkFrames = 4096;
    std::vector<std::int16_t> chunk(chunkFrames * static_cast<std::size_t>(in));
    std::vector<std::int16_t> samples;
    sf_count_t frames = 0;
    while (true) {
        const sf_count_t got = sf_readf_short(file.get(), chunk.data(), static_cast<sf_count_t>(chunkFrames));
        if (got <= 0)
            break;
        if (samples.size() + static_cast<std::size_t>(got) * static_cast<std::size_t>(out) > kSampleLimit) {
            error = "longer than " + std::to_string(kSampleLimit) + " samples";
            return false;
        }
        frames += got;
        if (in == out) {
            samples.insert(samples.end(), chunk.begin(), chunk.begin() + got * in);
            continue;
        }
        for (sf_count_t f = 0; f < got; ++f) {
            int sum = 0;
            for (int c = 0; c < in; ++c)
                sum += chunk[static_cast<std::size_t>(f * in + c)];
            samples.push_back(static_cast<std::int16_t>(sum / in));
        }
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        error = std::string("damaged (") + sf_strerror(file.get()) + ")";
        return false;
    }
    if (frames == 0) {
        error = "holds no sound";
        return false;
    }
    // The decoder's own count of frames: an MP3 without a length tag only estimates it.
    if (info.frames > 0 && info.frames < SF_COUNT_MAX) {
        const bool estimate = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
        const sf_count_t needed = estimate ? info.frames - info.frames / 50 : info.frames;
        if (frames < needed) {
            error = "cut short";
            return false;
        }
    }
    mSamples.swap(samples);
    mChannels = out;
    mRate = info.samplerate;
    return true;
}

} // namespace core
} // namespace kavri3D
