// The handset library journal ("<tid> <entry>" lines) turned into transcript lines: LCD
// changes, ringer and light. Requests that change nothing on the handset print nothing.
#pragma once
#include <string>
#include <vector>

struct HandsetLine {
    std::string source;  // "lcd", "ring", "light", "library"
    std::string text;
};

class JournalReader {
public:
    // Lines for one journal entry (without its thread id); often none.
    std::vector<HandsetLine> Translate(const std::string& entry);

private:
    std::string text_;
    bool textShown_ = false;
    int inCall_ = -1, skype_ = -1, ring_ = -1, light_ = -1;
};

// The value of `name=` in an entry ("" when absent); quoted texts are unquoted.
std::string JournalField(const std::string& entry, const char* name);
