// Skype's UTF-8 texts turned into the handset LCD's single-byte text.
#include "pure/lcd_text.h"

namespace {
const unsigned kFirstSpelled = 0xC0;  // À
const unsigned kLastSpelled = 0x17F;  // ſ, the end of Latin Extended-A

// ASCII spellings of U+00C0 to U+017F, one per code point, eight to a row. Marks are
// dropped; letters without a base letter are spelled out. A capital spelled with two letters
// capitalises the first only, as names are written (Dutch IJ keeps both). "" marks the two
// signs in the range (× and ÷), which are not letters.
const char kLatinSpellings[][3] = {
    // U+00C0   À    Á    Â    Ã    Ä    Å    Æ     Ç
    "A", "A", "A", "A", "A", "A", "Ae", "C",
    // U+00C8   È    É    Ê    Ë    Ì    Í    Î    Ï
    "E", "E", "E", "E", "I", "I", "I", "I",
    // U+00D0   Ð    Ñ    Ò    Ó    Ô    Õ    Ö    ×
    "D", "N", "O", "O", "O", "O", "O", "",
    // U+00D8   Ø    Ù    Ú    Û    Ü    Ý    Þ     ß
    "O", "U", "U", "U", "U", "Y", "Th", "ss",
    // U+00E0   à    á    â    ã    ä    å    æ     ç
    "a", "a", "a", "a", "a", "a", "ae", "c",
    // U+00E8   è    é    ê    ë    ì    í    î    ï
    "e", "e", "e", "e", "i", "i", "i", "i",
    // U+00F0   ð    ñ    ò    ó    ô    õ    ö    ÷
    "d", "n", "o", "o", "o", "o", "o", "",
    // U+00F8   ø    ù    ú    û    ü    ý    þ     ÿ
    "o", "u", "u", "u", "u", "y", "th", "y",
    // U+0100   Ā    ā    Ă    ă    Ą    ą    Ć    ć
    "A", "a", "A", "a", "A", "a", "C", "c",
    // U+0108   Ĉ    ĉ    Ċ    ċ    Č    č    Ď    ď
    "C", "c", "C", "c", "C", "c", "D", "d",
    // U+0110   Đ    đ    Ē    ē    Ĕ    ĕ    Ė    ė
    "D", "d", "E", "e", "E", "e", "E", "e",
    // U+0118   Ę    ę    Ě    ě    Ĝ    ĝ    Ğ    ğ
    "E", "e", "E", "e", "G", "g", "G", "g",
    // U+0120   Ġ    ġ    Ģ    ģ    Ĥ    ĥ    Ħ    ħ
    "G", "g", "G", "g", "H", "h", "H", "h",
    // U+0128   Ĩ    ĩ    Ī    ī    Ĭ    ĭ    Į    į
    "I", "i", "I", "i", "I", "i", "I", "i",
    // U+0130   İ    ı    Ĳ     ĳ     Ĵ    ĵ    Ķ    ķ
    "I", "i", "IJ", "ij", "J", "j", "K", "k",
    // U+0138   ĸ    Ĺ    ĺ    Ļ    ļ    Ľ    ľ    Ŀ
    "q", "L", "l", "L", "l", "L", "l", "L",
    // U+0140   ŀ    Ł    ł    Ń    ń    Ņ    ņ    Ň
    "l", "L", "l", "N", "n", "N", "n", "N",
    // U+0148   ň    ŉ     Ŋ     ŋ     Ō    ō    Ŏ    ŏ
    "n", "'n", "Ng", "ng", "O", "o", "O", "o",
    // U+0150   Ő    ő    Œ     œ     Ŕ    ŕ    Ŗ    ŗ
    "O", "o", "Oe", "oe", "R", "r", "R", "r",
    // U+0158   Ř    ř    Ś    ś    Ŝ    ŝ    Ş    ş
    "R", "r", "S", "s", "S", "s", "S", "s",
    // U+0160   Š    š    Ţ    ţ    Ť    ť    Ŧ    ŧ
    "S", "s", "T", "t", "T", "t", "T", "t",
    // U+0168   Ũ    ũ    Ū    ū    Ŭ    ŭ    Ů    ů
    "U", "u", "U", "u", "U", "u", "U", "u",
    // U+0170   Ű    ű    Ų    ų    Ŵ    ŵ    Ŷ    ŷ
    "U", "u", "U", "u", "W", "w", "Y", "y",
    // U+0178   Ÿ    Ź    ź    Ż    ż    Ž    ž    ſ
    "Y", "Z", "z", "Z", "z", "Z", "z", "s",
};
static_assert(sizeof kLatinSpellings / sizeof kLatinSpellings[0] ==
                  kLastSpelled - kFirstSpelled + 1,
              "one spelling per code point");

const char kUnknown[] = "?";

// The well-formed UTF-8 sequence at `p`: its length, and its code point in `codePoint`. 0
// when the bytes there are not one: a stray or truncated byte, an overlong form, a UTF-16
// surrogate or a value beyond U+10FFFF. A NUL fails as a continuation byte, so nothing past
// the end of the text is read.
int DecodeSequence(const unsigned char* p, unsigned* codePoint)
{
    unsigned char lead = p[0];
    int length = 0;
    unsigned value = 0;
    unsigned char low = 0x80, high = 0xBF; // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (p[i] < low || p[i] > high)
            return 0;
        low = 0x80;
        high = 0xBF;
        value = (value << 6) | (p[i] & 0x3F);
    }
    *codePoint = value;
    return length;
}

const char* SpellingOf(unsigned codePoint)
{
    if (codePoint < kFirstSpelled || codePoint > kLastSpelled)
        return kUnknown;
    const char* spelling = kLatinSpellings[codePoint - kFirstSpelled];
    return *spelling ? spelling : kUnknown;
}
} // namespace

int FoldUtf8ForLcd(const char* utf8, char* out, int capacity)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    int length = 0;
    while (*p && length < capacity - 1) {
        if (*p < 0x80) {
            out[length++] = char(*p++);
            continue;
        }
        unsigned codePoint = 0;
        int sequence = DecodeSequence(p, &codePoint);
        const char* spelling = sequence ? SpellingOf(codePoint) : kUnknown;
        p += sequence ? sequence : 1;
        // A spelling that does not fit whole is cut like any other text at the limit.
        for (; *spelling && length < capacity - 1; ++spelling)
            out[length++] = *spelling;
    }
    out[length] = '\0';
    return length;
}
