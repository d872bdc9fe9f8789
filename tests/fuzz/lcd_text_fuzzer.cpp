// The UTF-8 fold onto the LCD: any bytes, into a buffer of any size the first byte picks.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "exact_text.h"
#include "pure/lcd_text.h"

namespace {
const int kDialBufferSize = 1000; // the driver's own buffer

bool IsFoldedCharacter(char c)
{
    // ASCII as it came, "?" for the rest, and the spellings' letters and apostrophe: all
    // below 0x80.
    return static_cast<unsigned char>(c) < 0x80;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // 1 to 32 bytes, or the driver's buffer: small ones put the limit inside the text.
    int capacity = data[0] >= 0xE0 ? kDialBufferSize : 1 + data[0] % 32;
    std::unique_ptr<char[]> owned = ExactText(data + 1, size - 1);
    const char* utf8 = owned.get();

    std::unique_ptr<char[]> out(new char[size_t(capacity)]);
    int length = FoldUtf8ForLcd(utf8, out.get(), capacity);
    if (length < 0 || length >= capacity || out[length] != '\0' ||
        strlen(out.get()) != size_t(length))
        abort();
    for (int i = 0; i < length; ++i)
        if (!IsFoldedCharacter(out[i]))
            abort();
    // ASCII comes through as it is, up to the limit.
    size_t asciiRun = 0;
    while (utf8[asciiRun] && static_cast<unsigned char>(utf8[asciiRun]) < 0x80)
        ++asciiRun;
    size_t same = asciiRun < size_t(length) ? asciiRun : size_t(length);
    if (memcmp(out.get(), utf8, same) != 0)
        abort();
    return 0;
}
