#include "sound/WaveImage.h"

#include <algorithm>
#include <cstring>

namespace ResWave {
namespace {

constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 192000;

std::uint16_t le16(const unsigned char* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t le32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

bool isId(const unsigned char* p, const char (&id)[5])
{
    return std::memcmp(p, id, 4) == 0;
}

WaveProblem checkFormat(const WaveFormat& f)
{
    if (f.formatTag != 1)
        return WaveProblem::NotPcm;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16)
        return WaveProblem::UnsupportedBits;
    if (f.channels != 1 && f.channels != 2)
        return WaveProblem::UnsupportedChannels;
    if (f.sampleRate < kMinRate || f.sampleRate > kMaxRate)
        return WaveProblem::UnsupportedRate;
    if (f.blockAlign != f.channels * f.bitsPerSample / 8)
        return WaveProblem::BadBlockAlign;
    return WaveProblem::None;
}

} // namespace

std::int64_t WaveImage::lengthMs() const
{
    if (!playable())
        return 0;
    return (std::int64_t(frames()) * 1000 + format.sampleRate / 2) / format.sampleRate;
}

WaveImage readWaveImage(std::span<const unsigned char> bytes)
{
    WaveImage image;
    if (bytes.size() < 12 || !isId(bytes.data(), "RIFF") || !isId(bytes.data() + 8, "WAVE"))
        return image;

    // All offsets in 64 bits: a size near 2^32 plus an offset must not wrap.
    const std::uint64_t riffEnd = 8 + std::uint64_t(le32(bytes.data() + 4));
    const std::uint64_t end = std::min<std::uint64_t>(riffEnd, bytes.size());

    bool haveFormat = false;
    bool haveData = false;
    std::uint64_t pos = 12;
    while (pos + 8 <= end && !(haveFormat && haveData)) {
        const unsigned char* header = bytes.data() + pos;
        const std::uint64_t body = pos + 8;
        const std::uint64_t size = le32(header + 4);
        const std::uint64_t available = end - body;
        if (isId(header, "fmt ") && !haveFormat) {
            if (size < 16 || size > available)
                break;
            const unsigned char* f = bytes.data() + body;
            image.format = WaveFormat{le16(f),     le16(f + 2),  le32(f + 4),
                                      le32(f + 8), le16(f + 12), le16(f + 14)};
            haveFormat = true;
        } else if (isId(header, "data") && !haveData) {
            image.samples =
                bytes.subspan(std::size_t(body), std::size_t(std::min(size, available)));
            haveData = true;
        }
        pos = body + size + (size & 1);
    }

    if (!haveFormat) {
        image.samples = {};
        image.problem = WaveProblem::NoFormat;
        return image;
    }
    image.problem = checkFormat(image.format);
    if (image.problem != WaveProblem::None) {
        image.samples = {};
        return image;
    }
    if (!haveData) {
        image.problem = WaveProblem::NoData;
        return image;
    }
    image.samples = image.samples.first(image.samples.size() / image.format.blockAlign *
                                        image.format.blockAlign);
    if (image.samples.empty())
        image.problem = WaveProblem::EmptyData;
    return image;
}

} // namespace ResWave
