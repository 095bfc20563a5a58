// Malformed and odd WAVE images. This file uses nothing but the reader and the
// standard library, because it is also built under the sanitizers, where every
// image is handed over in a heap block of exactly its size so that any read
// past the end is caught.
#include "sound/WaveImage.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

using ResWave::readWaveImage;
using ResWave::WaveProblem;

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, std::uint32_t v)
{
    b.push_back(v & 0xff);
    b.push_back((v >> 8) & 0xff);
}
void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}
void putId(Bytes& b, const char* id)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(id[i]));
}

Bytes fmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
{
    Bytes f;
    const std::uint16_t align = std::uint16_t(channels * bits / 8);
    put16(f, tag);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * align);
    put16(f, align);
    put16(f, bits);
    return f;
}

Bytes chunk(const char* id, const Bytes& body, std::uint32_t statedSize)
{
    Bytes c;
    putId(c, id);
    put32(c, statedSize);
    c.insert(c.end(), body.begin(), body.end());
    return c;
}
Bytes chunk(const char* id, const Bytes& body)
{
    Bytes c = chunk(id, body, std::uint32_t(body.size()));
    if (body.size() % 2)
        c.push_back(0);
    return c;
}

Bytes samples(std::size_t n)
{
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<unsigned char>(i * 7 + 1);
    return s;
}

// "RIFF" + size + "WAVE" + the chunks; the stated size covers them unless given.
Bytes riff(const std::vector<Bytes>& chunks, std::int64_t statedSize = -1)
{
    Bytes body;
    putId(body, "WAVE");
    for (const auto& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes image;
    putId(image, "RIFF");
    put32(image, statedSize < 0 ? std::uint32_t(body.size()) : std::uint32_t(statedSize));
    image.insert(image.end(), body.begin(), body.end());
    return image;
}

Bytes cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kMono16 = fmtBody(1, 1, 22050, 16);
const Bytes kPad(4044, 0);

// The layout of the game's own recordings: fmt, a PAD chunk, then data at byte 4096.
Bytes gameLayout(std::size_t dataBytes)
{
    return riff({chunk("fmt ", kMono16), chunk("PAD ", kPad), chunk("data", samples(dataBytes))});
}

struct Case {
    std::string what;
    Bytes image;
    WaveProblem problem;
    std::size_t sampleBytes;  // expected whole-frame sample bytes (when playable)
    std::size_t sampleOffset; // where they start in the image
};

std::vector<Case> cases()
{
    const Bytes valid = riff({chunk("fmt ", kMono16), chunk("data", samples(100))});
    std::vector<Case> c;
    c.push_back({"plain mono 16-bit", valid, WaveProblem::None, 100, 44});
    c.push_back({"game layout with PAD chunk", gameLayout(1000), WaveProblem::None, 1000, 4096});
    c.push_back(
        {"odd-sized unknown chunk and its pad byte",
         riff({chunk("fmt ", kMono16), chunk("LIST", Bytes{1, 2, 3}), chunk("data", samples(10))}),
         WaveProblem::None, 10, 44 + 12});
    c.push_back({"data before fmt", riff({chunk("data", samples(8)), chunk("fmt ", kMono16)}),
                 WaveProblem::None, 8, 20});
    c.push_back({"two extra bytes after the stated size", cat(gameLayout(64), Bytes{0x12, 0x34}),
                 WaveProblem::None, 64, 4096});
    c.push_back({"data chunk beyond the stated size is ignored",
                 cat(riff({chunk("fmt ", kMono16)}), chunk("data", samples(8))),
                 WaveProblem::NoData, 0, 0});
    c.push_back({"stated size cuts the data short",
                 riff({chunk("fmt ", kMono16), chunk("data", samples(100))}, 4 + 24 + 8 + 40),
                 WaveProblem::None, 40, 44});
    c.push_back({"8-bit stereo",
                 riff({chunk("fmt ", fmtBody(1, 2, 11025, 8)), chunk("data", samples(9))}),
                 WaveProblem::None, 8, 44});
    c.push_back({"odd byte count of 16-bit data keeps whole frames",
                 riff({chunk("fmt ", kMono16), chunk("data", samples(5))}), WaveProblem::None, 4,
                 44});
    c.push_back({"longer fmt chunk (extension bytes)",
                 riff({chunk("fmt ", cat(kMono16, Bytes{0, 0})), chunk("data", samples(4))}),
                 WaveProblem::None, 4, 46});

    // Truncated headers.
    for (std::size_t n : {0, 3, 4, 8, 11, 12, 16, 19, 20, 35})
        c.push_back({"truncated to " + std::to_string(n) + " bytes",
                     Bytes(valid.begin(), valid.begin() + n),
                     n < 12 ? WaveProblem::NotRiffWave : WaveProblem::NoFormat, 0, 0});
    c.push_back({"truncated inside data", Bytes(valid.begin(), valid.begin() + 44 + 31),
                 WaveProblem::None, 30, 44});
    c.push_back({"truncated right after the data header", Bytes(valid.begin(), valid.begin() + 44),
                 WaveProblem::EmptyData, 0, 0});
    c.push_back({"not RIFF", cat(Bytes{'R', 'I', 'F', 'X'}, Bytes(valid.begin() + 4, valid.end())),
                 WaveProblem::NotRiffWave, 0, 0});
    c.push_back({"RIFF but not WAVE",
                 [&] {
                     Bytes b = valid;
                     std::memcpy(&b[8], "AVI ", 4);
                     return b;
                 }(),
                 WaveProblem::NotRiffWave, 0, 0});
    c.push_back({"stated size below the form type", riff({chunk("fmt ", kMono16)}, 2),
                 WaveProblem::NoFormat, 0, 0});

    // Sizes past the end and near 2^32.
    c.push_back({"fmt size past the end", riff({chunk("fmt ", kMono16, 4000)}),
                 WaveProblem::NoFormat, 0, 0});
    c.push_back({"fmt size 0xFFFFFFFF", riff({chunk("fmt ", kMono16, 0xFFFFFFFFu)}),
                 WaveProblem::NoFormat, 0, 0});
    c.push_back({"data size past the end is cut to the bytes there",
                 riff({chunk("fmt ", kMono16), chunk("data", samples(20), 5000)}),
                 WaveProblem::None, 20, 44});
    c.push_back({"data size 0xFFFFFFFF",
                 riff({chunk("fmt ", kMono16), chunk("data", samples(20), 0xFFFFFFFFu)}),
                 WaveProblem::None, 20, 44});
    c.push_back({"data size 0xFFFFFFFE",
                 riff({chunk("fmt ", kMono16), chunk("data", samples(20), 0xFFFFFFFEu)}),
                 WaveProblem::None, 20, 44});
    c.push_back({"RIFF size 0xFFFFFFFF",
                 riff({chunk("fmt ", kMono16), chunk("data", samples(6))}, 0xFFFFFFFFu),
                 WaveProblem::None, 6, 44});
    c.push_back({"unknown chunk of size near 2^32 before data",
                 riff({chunk("fmt ", kMono16), chunk("JUNK", Bytes(4), 0xFFFFFFF7u),
                       chunk("data", samples(6))}),
                 WaveProblem::NoData, 0, 0});
    c.push_back({"PAD size past the end",
                 riff({chunk("fmt ", kMono16), chunk("PAD ", kPad, 0x80000001u)}),
                 WaveProblem::NoData, 0, 0});

    // Formats that cannot be played.
    c.push_back({"zero-length data", riff({chunk("fmt ", kMono16), chunk("data", {})}),
                 WaveProblem::EmptyData, 0, 0});
    c.push_back({"no data chunk", riff({chunk("fmt ", kMono16)}), WaveProblem::NoData, 0, 0});
    c.push_back({"no fmt chunk", riff({chunk("data", samples(8))}), WaveProblem::NoFormat, 0, 0});
    c.push_back({"fmt chunk too short",
                 riff({chunk("fmt ", Bytes(kMono16.begin(), kMono16.begin() + 14)),
                       chunk("data", samples(8))}),
                 WaveProblem::NoFormat, 0, 0});
    c.push_back({"IEEE float",
                 riff({chunk("fmt ", fmtBody(3, 1, 22050, 32)), chunk("data", samples(8))}),
                 WaveProblem::NotPcm, 0, 0});
    c.push_back({"ADPCM", riff({chunk("fmt ", fmtBody(2, 1, 22050, 4)), chunk("data", samples(8))}),
                 WaveProblem::NotPcm, 0, 0});
    c.push_back({"extensible",
                 riff({chunk("fmt ", fmtBody(0xFFFE, 1, 22050, 16)), chunk("data", samples(8))}),
                 WaveProblem::NotPcm, 0, 0});
    c.push_back({"24-bit",
                 riff({chunk("fmt ", fmtBody(1, 1, 22050, 24)), chunk("data", samples(9))}),
                 WaveProblem::UnsupportedBits, 0, 0});
    c.push_back({"0 bits",
                 riff({chunk("fmt ", fmtBody(1, 1, 22050, 0)), chunk("data", samples(8))}),
                 WaveProblem::UnsupportedBits, 0, 0});
    c.push_back({"0 channels",
                 riff({chunk("fmt ", fmtBody(1, 0, 22050, 16)), chunk("data", samples(8))}),
                 WaveProblem::UnsupportedChannels, 0, 0});
    c.push_back({"6 channels",
                 riff({chunk("fmt ", fmtBody(1, 6, 22050, 16)), chunk("data", samples(12))}),
                 WaveProblem::UnsupportedChannels, 0, 0});
    c.push_back({"rate 0", riff({chunk("fmt ", fmtBody(1, 1, 0, 16)), chunk("data", samples(8))}),
                 WaveProblem::UnsupportedRate, 0, 0});
    c.push_back({"rate 4 GHz",
                 riff({chunk("fmt ", fmtBody(1, 1, 0xFFFFFFFFu, 16)), chunk("data", samples(8))}),
                 WaveProblem::UnsupportedRate, 0, 0});
    Bytes badAlign = kMono16;
    badAlign[12] = 0;
    c.push_back({"block alignment 0", riff({chunk("fmt ", badAlign), chunk("data", samples(8))}),
                 WaveProblem::BadBlockAlign, 0, 0});
    return c;
}

// The reader sees only a heap block of exactly the image's size.
ResWave::WaveImage readExact(const Bytes& image, std::unique_ptr<unsigned char[]>& holder)
{
    holder = std::make_unique<unsigned char[]>(image.size());
    if (!image.empty())
        std::memcpy(holder.get(), image.data(), image.size());
    return readWaveImage({holder.get(), image.size()});
}

void expectInside(const ResWave::WaveImage& wave, const unsigned char* begin, std::size_t size)
{
    if (wave.samples.empty())
        return;
    EXPECT_GE(wave.samples.data(), begin);
    EXPECT_LE(wave.samples.data() + wave.samples.size(), begin + size);
}

} // namespace

TEST(WaveImage, ReadsOddAndMalformedImagesSafely)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<unsigned char[]> holder;
        const auto wave = readExact(c.image, holder);
        EXPECT_EQ(wave.problem, c.problem);
        if (c.problem == WaveProblem::None) {
            ASSERT_EQ(wave.samples.size(), c.sampleBytes);
            EXPECT_EQ(std::size_t(wave.samples.data() - holder.get()), c.sampleOffset);
            EXPECT_EQ(wave.samples[0], c.image[c.sampleOffset]);
        } else {
            EXPECT_TRUE(wave.samples.empty());
            EXPECT_FALSE(wave.playable());
        }
        expectInside(wave, holder.get(), c.image.size());
    }
}

TEST(WaveImage, LengthComesFromDataAndRate)
{
    // One second of 22050 Hz mono 16-bit, behind the game's PAD chunk and with trailing bytes.
    const Bytes image = cat(gameLayout(44100), Bytes{0, 0});
    std::unique_ptr<unsigned char[]> holder;
    const auto wave = readExact(image, holder);
    ASSERT_TRUE(wave.playable());
    EXPECT_EQ(wave.frames(), 22050u);
    EXPECT_EQ(wave.lengthMs(), 1000);
}

// Every cut and a run of seeded byte flips of a real-looking image: whatever
// the reader decides, it keeps inside the bytes and never plays a broken format.
TEST(WaveImage, SurvivesEveryTruncationAndRandomDamage)
{
    const Bytes whole = cat(gameLayout(200), Bytes{0xAB, 0xCD});
    for (std::size_t n = 0; n <= whole.size(); ++n) {
        std::unique_ptr<unsigned char[]> holder;
        const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
        const auto wave = readExact(cut, holder);
        expectInside(wave, holder.get(), n);
        EXPECT_EQ(wave.playable(), n >= 4096 + 2) << "cut at " << n;
    }

    std::mt19937 rng(20240611);
    const Bytes small =
        riff({chunk("fmt ", kMono16), chunk("LIST", Bytes{1, 2, 3}), chunk("data", samples(16))});
    for (int round = 0; round < 4000; ++round) {
        Bytes damaged = small;
        const int flips = 1 + int(rng() % 4);
        for (int i = 0; i < flips; ++i)
            damaged[rng() % damaged.size()] = static_cast<unsigned char>(rng());
        damaged.resize(rng() % (damaged.size() + 1));
        std::unique_ptr<unsigned char[]> holder;
        const auto wave = readExact(damaged, holder);
        expectInside(wave, holder.get(), damaged.size());
        if (wave.playable()) {
            EXPECT_EQ(wave.format.formatTag, 1);
            EXPECT_TRUE(wave.format.bitsPerSample == 8 || wave.format.bitsPerSample == 16);
            EXPECT_EQ(wave.samples.size() % wave.format.blockAlign, 0u);
            EXPECT_FALSE(wave.samples.empty());
        }
    }
}
