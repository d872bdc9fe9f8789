// Skype's UTF-8 folded into the LCD's single-byte text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pure/lcd_text.h"

namespace {
const int kDialBufferSize = 1000; // 999 characters and the NUL

// Folds into a buffer of `capacity` bytes guarded by a few more, which must stay untouched.
std::string Fold(const std::string& utf8, int capacity = kDialBufferSize)
{
    std::vector<char> out(size_t(capacity) + 4, '#');
    int length = FoldUtf8ForLcd(utf8.c_str(), out.data(), capacity);
    EXPECT_LT(length, capacity);
    EXPECT_EQ(size_t(length), strlen(out.data())) << "the NUL must end the text";
    EXPECT_EQ(std::string(out.end() - 4, out.end()), "####") << "written past the buffer";
    return std::string(out.data(), size_t(length));
}

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

} // namespace

TEST(LcdText, FoldsEachKindOfText)
{
    const struct {
        const char* what;
        const char* utf8;
        const char* lcd;
    } cases[] = {
        {"ASCII", "Ann Example", "Ann Example"},
        {"ASCII", "+15551234567", "+15551234567"},
        {"ASCII, control bytes too", "a\tb\x01\x7f~", "a\tb\x01\x7f~"},
        {"marks", "Zo\xC3\xAB M\xC3\xBCller", "Zoe Muller"},
        {"marks", "Jos\xC3\xA9 N\xC3\xBA\xC3\xB1" "ez", "Jose Nunez"},
        {"marks", "Fran\xC3\xA7ois", "Francois"},
        {"marks", "S\xC3\xB8ren", "Soren"},
        {"marks", "\xC5\x81ukasz \xC5\xBB\xC3\xB3\xC5\x82\xC4\x87", "Lukasz Zolc"},
        {"marks", "Dvo\xC5\x99\xC3\xA1k", "Dvorak"},
        {"marks", "\xC3\x9C\xC3\x89\xC3\x87", "UEC"},
        {"marks at both ends of the table", "\xC3\x80 \xC3\xBF \xC5\xB8", "A y Y"},
        {"ligatures and special letters", "Strau\xC3\x9F", "Strauss"},
        {"ligatures and special letters", "\xC3\x86gir \xC3\xA6", "Aegir ae"},
        {"ligatures and special letters", "\xC5\x92uvre \xC5\x93", "Oeuvre oe"},
        {"ligatures and special letters", "\xC3\x9E\xC3\xB3ra \xC3\xBE", "Thora th"},
        {"ligatures and special letters", "\xC4\xB2sbrand \xC4\xB3", "IJsbrand ij"},
        {"ligatures and special letters", "\xC3\x90\xC3\xB0 \xC5\x8A\xC5\x8B", "Dd Ngng"},
        {"ligatures and special letters", "\xC4\xB1\xC4\xB8\xC5\x89\xC5\xBF", "iq'ns"},
        {"other scripts", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", "????"},
        {"other scripts", "\xCE\xA3\xCF\x89", "??"},
        {"other scripts", "\xE6\x9D\x8E \xE5\xB0\x8F\xE9\xBE\x99", "? ??"},
        {"4-byte emoji", "a\xF0\x9F\x98\x80" "b", "a?b"},
        {"signs among the letters", "2\xC3\x97" "3\xC3\xB7", "2?3?"},
        {"Latin-1 signs", "\xC2\xA9\xC2\xA0\xC2\xBF", "???"},
        {"C1 control", "\xC2\x80", "?"},
        {"first letter past the table", "\xC6\x80", "?"},
        {"highest code point", "\xF4\x8F\xBF\xBF", "?"},
        {"last code point before the surrogates", "\xED\x9F\xBF", "?"},
        {"truncated at the end", "Zo\xC3", "Zo?"},
        {"truncated at the end", "a\xE2\x82", "a??"},
        {"truncated at the end", "a\xF0\x9F\x98", "a???"},
        {"cut short by ASCII", "\xC3" "A\xE2\x82" "B", "?A??B"},
        {"stray continuation bytes", "\x80x\xBF", "?x?"},
        {"overlong", "\xC0\xAF\xC1\xBF", "????"},
        {"overlong", "\xE0\x80\xAF", "???"},
        {"overlong", "\xE0\x9F\xBF", "???"},
        {"overlong", "\xF0\x80\x80\xAF", "????"},
        {"overlong", "\xF0\x8F\xBF\xBF", "????"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"surrogate", "\xED\xBF\xBF", "???"},
        {"surrogate pair", "\xED\xA0\xBD\xED\xB8\x80", "??????"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"bytes never in UTF-8", "\xF5\x80\xFE\xFF", "????"},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fold(c.utf8), c.lcd) << c.what << ": " << c.utf8;
}

// The limit counts characters of the folded text, not bytes of Skype's.
TEST(LcdText, KeepsTheFirstCharactersOfTheFoldedText)
{
    const struct {
        const char* what;
        std::string utf8;
        int capacity;
        std::string lcd;
    } cases[] = {
        {"1200 characters from 600 letters", Repeat("\xC3\x9F", 600), kDialBufferSize,
         std::string(999, 's')},
        {"700 letters in 1400 bytes", Repeat("\xC3\xA9", 700), kDialBufferSize,
         std::string(700, 'e')},
        {"a spelling cut at the limit", std::string(998, 'a') + "\xC3\x9F", kDialBufferSize,
         std::string(998, 'a') + "s"},
        {"an emoji at the limit", std::string(998, 'a') + "\xF0\x9F\x98\x80zz", kDialBufferSize,
         std::string(998, 'a') + "?"},
        {"small buffer", "Stra\xC3\x9F" "e", 6, "Stras"},
        {"room for the NUL only", "Ann", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fold(c.utf8, c.capacity), c.lcd) << c.what;
}
