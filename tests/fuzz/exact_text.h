// A NUL-terminated text in storage of exactly its own size, so that AddressSanitizer reports
// any read past the NUL: the fuzzers' inputs, and the texts of the tables in tests/pure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

inline std::unique_ptr<char[]> ExactText(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> text(new char[size + 1]);
    if (size)
        memcpy(text.get(), data, size);
    text[size] = '\0';
    return text;
}

inline std::unique_ptr<char[]> ExactText(const char* text)
{
    return ExactText(reinterpret_cast<const uint8_t*>(text), strlen(text));
}

// True when `part` points into the text `text` (its NUL included).
inline bool PointsInto(const char* part, const char* text)
{
    return part >= text && part <= text + strlen(text);
}
