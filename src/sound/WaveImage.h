#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Reads RIFF WAVE images. Plain standard C++ on purpose: the malformed-image
// test also builds this reader under the address and undefined-behaviour
// sanitizers, without Qt or SDL.
namespace ResWave {

enum class WaveProblem {
    None,
    NotRiffWave,     // no "RIFF" ... "WAVE" header
    NoFormat,        // no complete "fmt " chunk
    NotPcm,          // a format tag other than 1
    UnsupportedBits, // not 8 or 16 bits per sample
    UnsupportedChannels,
    UnsupportedRate,
    BadBlockAlign, // block alignment does not match channels and bits
    NoData,        // no "data" chunk inside the image
    EmptyData,     // a data chunk without one whole frame
};

struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

struct WaveImage {
    WaveProblem problem = WaveProblem::NotRiffWave;
    WaveFormat format;
    // Whole frames of the data chunk, inside the bytes the reader was given.
    std::span<const unsigned char> samples;

    bool playable() const { return problem == WaveProblem::None; }
    std::size_t frames() const
    {
        return format.blockAlign ? samples.size() / format.blockAlign : 0;
    }
    // Length rounded to the millisecond; 0 when the image cannot be played.
    std::int64_t lengthMs() const;
};

// Takes every chunk's size from the image, skips chunks it does not know (and
// the pad byte after an odd-sized chunk), ignores whatever follows the size the
// RIFF header states and never reads outside `bytes`. A data chunk that claims
// more bytes than the image holds is cut to the bytes that are there.
WaveImage readWaveImage(std::span<const unsigned char> bytes);

} // namespace ResWave
