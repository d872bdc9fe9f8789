// The RIFF/WAVE chunk walk, as tables of cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pure/riff.h"

namespace {

// Builds a RIFF image chunk by chunk; the RIFF size covers what was added unless overridden.
class RiffImage {
public:
    explicit RiffImage(const char* form = "WAVE") { Append(form, 4); }

    // A chunk of `size` bytes of data, each byte `fill`, plus its pad byte when odd.
    RiffImage& Chunk(const char* id, uint32_t size, uint8_t fill = 0x11)
    {
        Append(id, 4);
        Le32(size);
        body.insert(body.end(), size, fill);
        if (size & 1)
            body.push_back(0);
        return *this;
    }
    // A 16-byte PCM "fmt " chunk (or `size` bytes of it).
    RiffImage& Fmt(uint32_t size = 16)
    {
        Append("fmt ", 4);
        Le32(size);
        const uint8_t pcm[16] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xac, 0, 0, 2, 0, 16, 0};
        for (uint32_t i = 0; i < size; ++i)
            body.push_back(i < 16 ? pcm[i] : 0);
        if (size & 1)
            body.push_back(0);
        return *this;
    }
    RiffImage& RiffSize(uint32_t size)
    {
        riffSize = size;
        return *this;
    }
    RiffImage& Tag(const char* tag)
    {
        riffTag = tag;
        return *this;
    }
    std::vector<uint8_t> Bytes() const
    {
        std::vector<uint8_t> out(riffTag.begin(), riffTag.end());
        uint32_t size = riffSize ? riffSize : uint32_t(body.size());
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(size >> (8 * i)));
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }

private:
    void Append(const char* text, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            body.push_back(uint8_t(text[i]));
    }
    void Le32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            body.push_back(uint8_t(v >> (8 * i)));
    }

    std::vector<uint8_t> body;
    std::string riffTag = "RIFF";
    uint32_t riffSize = 0;
};

uint32_t Le32At(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

struct WalkCase {
    const char* name;
    RiffImage image;
    bool found;
    long formatOffset;  // offset of the format data in the image, -1: none expected
    long samplesOffset; // offset of the sample data, -1: none expected
    uint32_t sampleBytes;
};

std::vector<WalkCase> WalkCases()
{
    std::vector<WalkCase> cases;
    cases.push_back({"plain fmt then data", RiffImage().Fmt().Chunk("data", 100), true, 20, 44,
                     100});
    cases.push_back({"data before fmt", RiffImage().Chunk("data", 100).Fmt(), true, 128, 20,
                     100});
    cases.push_back({"odd chunk padded before the next",
                     RiffImage().Chunk("LIST", 5).Fmt().Chunk("data", 7), true, 34, 58, 7});
    cases.push_back({"odd data before fmt", RiffImage().Chunk("data", 3).Fmt(), true, 32, 20,
                     3});
    cases.push_back({"12-byte fmt fails although data follows",
                     RiffImage().Fmt(12).Chunk("data", 100), false, -1, -1, 0});
    cases.push_back({"14-byte fmt is enough", RiffImage().Fmt(14).Chunk("data", 10), true, 20,
                     42, 10});
    cases.push_back({"second fmt ignored (even a short one)",
                     RiffImage().Fmt().Fmt(4).Chunk("data", 10), true, 20, 56, 10});
    cases.push_back({"later data replaces earlier before fmt",
                     RiffImage().Chunk("data", 10).Chunk("data", 20).Fmt(), true, 66, 38, 20});
    cases.push_back({"empty data before fmt is not a pair",
                     RiffImage().Chunk("data", 0).Fmt(), false, 28, 20, 0});
    cases.push_back({"empty data after fmt completes the pair",
                     RiffImage().Fmt().Chunk("data", 0), true, 20, 44, 0});
    cases.push_back({"fmt without data", RiffImage().Fmt().Chunk("fact", 4), false, 20, -1, 0});
    cases.push_back({"data without fmt", RiffImage().Chunk("data", 10), false, -1, 20, 10});
    cases.push_back({"no chunks at all", RiffImage(), false, -1, -1, 0});
    cases.push_back({"not RIFF", RiffImage().Tag("RIFX").Fmt().Chunk("data", 10), false, -1,
                     -1, 0});
    cases.push_back({"not WAVE", RiffImage("AVI ").Fmt().Chunk("data", 10), false, -1, -1, 0});
    // The RIFF size ends the walk: a chunk after it is not part of the file.
    cases.push_back({"data past the RIFF size not seen",
                     RiffImage().Fmt().Chunk("data", 10).RiffSize(4 + 24), false, 20, -1, 0});
    cases.push_back({"chunk starting just below the end is read",
                     RiffImage().Fmt().Chunk("data", 10).RiffSize(4 + 24 + 1), true, 20, 44,
                     10});
    // ... but it cannot carry the walk past the bytes that really exist.
    cases.push_back({"RIFF size beyond the image", RiffImage().Fmt().RiffSize(100000), false,
                     20, -1, 0});
    return cases;
}

TEST(FindWaveChunks, WalksChunksAsTabled)
{
    for (const WalkCase& c : WalkCases()) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = c.image.Bytes();
        WaveChunks chunks = {reinterpret_cast<const uint8_t*>(1), 1,
                             reinterpret_cast<const uint8_t*>(1), 12345};
        bool found = FindWaveChunks(bytes.data(), uint32_t(bytes.size()), &chunks);
        EXPECT_EQ(found, c.found);
        const uint8_t* expectFormat =
            c.formatOffset < 0 ? nullptr : bytes.data() + c.formatOffset;
        const uint8_t* expectSamples =
            c.samplesOffset < 0 ? nullptr : bytes.data() + c.samplesOffset;
        EXPECT_EQ(chunks.format, expectFormat);
        if (expectFormat) {
            EXPECT_EQ(chunks.formatBytes, Le32At(bytes, size_t(c.formatOffset) - 4));
        }
        EXPECT_EQ(chunks.samples, expectSamples);
        EXPECT_EQ(chunks.sampleBytes, c.sampleBytes);
    }
}

TEST(FindWaveChunks, NeverReadsPastTheImage)
{
    // A data chunk whose size runs past the real bytes would make the player read beyond the
    // resource: the walk refuses it, however large the RIFF size claims the file is.
    std::vector<uint8_t> bytes = RiffImage().Fmt().Chunk("data", 10).Bytes();
    bytes[40] = 0xff; // data size 0x...ff
    bytes[41] = 0xff;
    WaveChunks chunks;
    EXPECT_FALSE(FindWaveChunks(bytes.data(), uint32_t(bytes.size()), &chunks));
    // Every truncated copy of a good image is refused, wherever the cut falls. Each copy lives
    // in storage of exactly its own size, so a read past it is caught where a sanitizer runs.
    std::vector<uint8_t> good = RiffImage().Fmt().Chunk("data", 10).Bytes();
    for (size_t n = 0; n < good.size(); ++n) {
        std::unique_ptr<uint8_t[]> prefix(new uint8_t[n ? n : 1]);
        std::copy(good.begin(), good.begin() + long(n), prefix.get());
        EXPECT_FALSE(FindWaveChunks(prefix.get(), uint32_t(n), &chunks)) << n;
    }
}

} // namespace
