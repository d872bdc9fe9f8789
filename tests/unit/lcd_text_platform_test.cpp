// The LCD's spellings of the Latin letters held against the platform's own decomposition.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <string>

#include "pure/lcd_text.h"

namespace {
std::string Fold(const std::string& utf8)
{
    char out[16];
    int length = FoldUtf8ForLcd(utf8.c_str(), out, int(sizeof out));
    return std::string(out, size_t(length));
}

std::string Utf8Of(unsigned codePoint) // two-byte code points only
{
    return {char(0xC0 | (codePoint >> 6)), char(0x80 | (codePoint & 0x3F))};
}

typedef int(WINAPI* NormalizeStringFn)(int form, const wchar_t* source, int sourceLength,
                                      wchar_t* destination, int destinationLength);
const int kNormalizationD = 2;
} // namespace

// Every code point of the table against the platform's own decomposition: a letter with
// marks comes out as its base letter; a letter without one as one or two ASCII letters of
// its own case; the two signs among them as "?".
TEST(LcdText, EachLetterOfTheTableAgreesWithThePlatform)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    NormalizeStringFn normalize = reinterpret_cast<NormalizeStringFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "NormalizeString")));
    if (!normalize) {
        HMODULE normaliz = LoadLibraryA("normaliz.dll");
        normalize = reinterpret_cast<NormalizeStringFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(normaliz, "NormalizeString")));
    }
    ASSERT_NE(normalize, nullptr);
    wchar_t probe[8] = {};
    ASSERT_EQ(normalize(kNormalizationD, L"\u00E9", 1, probe, 8), 2);
    ASSERT_EQ(probe[0], L'e') << "the platform decomposes é";

    for (unsigned codePoint = 0xC0; codePoint <= 0x17F; ++codePoint) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << codePoint);
        wchar_t letter[2] = {wchar_t(codePoint), 0};
        wchar_t parts[8] = {};
        int partCount = normalize(kNormalizationD, letter, 1, parts, 8);
        std::string folded = Fold(Utf8Of(codePoint));
        if (codePoint == 0xD7 || codePoint == 0xF7) {
            EXPECT_EQ(folded, "?");
        } else if (partCount > 1 && parts[0] < 0x80) {
            EXPECT_EQ(folded, std::string(1, char(parts[0])));
        } else {
            ASSERT_GE(folded.size(), 1u);
            EXPECT_LE(folded.size(), 2u);
            size_t first = folded.find_first_not_of('\'');
            ASSERT_NE(first, std::string::npos);
            for (size_t i = first; i < folded.size(); ++i)
                EXPECT_TRUE(isalpha(static_cast<unsigned char>(folded[i]))) << folded;
            bool upper = IsCharUpperW(letter[0]) != 0;
            EXPECT_EQ(isupper(static_cast<unsigned char>(folded[first])) != 0, upper) << folded;
        }
    }
}
