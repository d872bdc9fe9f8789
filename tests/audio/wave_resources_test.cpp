// The WAVE resources of the built usbphone.exe: ids, language, headers and sizes.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "process.h"
#include "pure/riff.h"

namespace {

struct ToneEntry {
    UINT id;
    DWORD dataBytes;
};

const ToneEntry kTones[] = {
    {133, 3556}, {134, 3550}, {135, 3528}, {136, 3542}, {137, 3570}, {138, 3550}, {139, 3562},
    {140, 3556}, {141, 3550}, {142, 3564}, {144, 3542}, {146, 3570}, {147, 3724},
};

DWORD Le32(const BYTE* p)
{
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

WORD Le16(const BYTE* p)
{
    return WORD(p[0] | p[1] << 8);
}

TEST(WaveResources, UsbphoneExeCarriesEveryKeyToneAsTabled)
{
    std::string exe = JoinPath(BinDir(), "usbphone.exe");
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << exe;
    const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    ASSERT_EQ(chinese, 0x0804);
    for (const ToneEntry& tone : kTones) {
        SCOPED_TRACE(testing::Message() << "WAVE " << tone.id);
        HRSRC info = FindResourceExA(module, "WAVE", MAKEINTRESOURCEA(tone.id), chinese);
        ASSERT_NE(info, nullptr);
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
        ASSERT_NE(data, nullptr);
        DWORD size = SizeofResource(module, info);
        // The whole file: 12-byte RIFF header, 8 + 16 for "fmt ", 8 + data for "data".
        ASSERT_EQ(size, 44 + tone.dataBytes);
        EXPECT_EQ(std::memcmp(data, "RIFF", 4), 0);
        EXPECT_EQ(Le32(data + 4), size - 8);
        EXPECT_EQ(std::memcmp(data + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(Le32(data + 16), 16u);
        EXPECT_EQ(Le16(data + 20), WAVE_FORMAT_PCM);
        EXPECT_EQ(Le16(data + 22), 1);          // channels
        EXPECT_EQ(Le32(data + 24), 22050u);     // samples per second
        EXPECT_EQ(Le32(data + 28), 44100u);     // bytes per second
        EXPECT_EQ(Le16(data + 32), 2);          // block align
        EXPECT_EQ(Le16(data + 34), 16);         // bits per sample
        EXPECT_EQ(std::memcmp(data + 36, "data", 4), 0);
        EXPECT_EQ(Le32(data + 40), tone.dataBytes);

        WaveChunks chunks;
        ASSERT_TRUE(FindWaveChunks(data, size, &chunks));
        EXPECT_EQ(chunks.samples, data + 44);
        EXPECT_EQ(chunks.sampleBytes, tone.dataBytes);
        const uint8_t* samples = chunks.samples;
        uint32_t sampleBytes = chunks.sampleBytes;
        // Close to full scale.
        int peak = 0;
        for (DWORD i = 0; i + 1 < sampleBytes; i += 2)
            peak = std::max(peak, std::abs(int(short(Le16(samples + i)))));
        EXPECT_GT(peak, 29000);
    }
    // The ids no key plays are not built.
    for (UINT unused : {132u, 143u, 145u})
        EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(unused), "WAVE"), nullptr) << unused;
    FreeLibrary(module);
}

} // namespace
