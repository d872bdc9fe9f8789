// A NUL-terminated text in malloc'd storage, freed with its owner. Plain C storage on purpose:
// the program links no C++ containers (they alone would triple the size of the executable).
#pragma once
#include <cstdlib>

class OwnedText {
public:
    explicit OwnedText(char* text = nullptr) : text_(text) {}
    OwnedText(OwnedText&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
    OwnedText& operator=(OwnedText&& other) noexcept
    {
        if (this != &other) {
            free(text_);
            text_ = other.text_;
            other.text_ = nullptr;
        }
        return *this;
    }
    OwnedText(const OwnedText&) = delete;
    OwnedText& operator=(const OwnedText&) = delete;
    ~OwnedText() { free(text_); }

    // Never null: "" when there is no text (also when its storage could not be had).
    const char* Get() const { return text_ ? text_ : ""; }

private:
    char* text_;
};
