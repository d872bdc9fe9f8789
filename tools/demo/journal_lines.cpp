// Reading the handset library journal for the transcript.
#include "journal_lines.h"

#include <cstdlib>
#include <cstring>

namespace {
std::string Unquote(const std::string& quoted)
{
    if (quoted.size() < 2 || quoted[0] != '"')
        return quoted; // "null"
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\' && i + 2 < quoted.size()) {
            if (quoted[i + 1] == 'x' && i + 4 < quoted.size()) {
                text += char(strtol(quoted.substr(i + 2, 2).c_str(), nullptr, 16));
                i += 3;
            } else {
                text += quoted[++i];
            }
        } else {
            text += quoted[i];
        }
    }
    return text;
}

const char* OnOff(int value)
{
    return value ? "on" : "off";
}

// Pushes "<what> on|off" when `value` differs from the remembered one.
void Switch(std::vector<HandsetLine>* lines, int* remembered, int value, const char* source,
            const char* what)
{
    if (*remembered == value)
        return;
    *remembered = value;
    lines->push_back({source, std::string(what) + OnOff(value)});
}
} // namespace

std::string JournalField(const std::string& entry, const char* name)
{
    std::string key = std::string(" ") + name + "=";
    size_t at = entry.find(key);
    if (at == std::string::npos)
        return std::string();
    size_t start = at + key.size();
    size_t end;
    if (entry[start] == '"') {
        end = start + 1;
        while (end < entry.size() && entry[end] != '"')
            end += entry[end] == '\\' ? 2 : 1;
        return Unquote(entry.substr(start, end + 1 - start));
    }
    end = entry.find(' ', start);
    return entry.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::vector<HandsetLine> JournalReader::Translate(const std::string& entry)
{
    std::vector<HandsetLine> lines;
    if (entry.compare(0, 20, "USBPhone_DisplayLCD ") == 0) {
        int mode = atoi(JournalField(entry, "mode").c_str());
        int on = atoi(JournalField(entry, "on").c_str()) != 0;
        switch (mode) {
        case 0:
            lines.push_back({"lcd", "cleared"});
            text_.clear();
            textShown_ = false;
            inCall_ = skype_ = 0;
            break;
        case 1:
            Switch(&lines, &inCall_, on, "lcd", "in-call indicator ");
            break;
        case 2:
            Switch(&lines, &skype_, on, "lcd", "Skype indicator ");
            break;
        case 3:
        case 4: {
            std::string text = JournalField(entry, "text");
            bool shown = atoi(JournalField(entry, "textOn").c_str()) != 0;
            if (text == text_ && shown == textShown_)
                break;
            text_ = text;
            textShown_ = shown;
            lines.push_back({"lcd", "text \"" + text + "\"" + (shown ? "" : " (hidden)")});
            break;
        }
        default:
            lines.push_back({"library", entry});
        }
    } else if (entry.compare(0, 14, "USBPhone_Ring ") == 0) {
        Switch(&lines, &ring_, atoi(entry.c_str() + 14) != 0, "ring", "");
    } else if (entry.compare(0, 15, "USBPhone_Light ") == 0) {
        Switch(&lines, &light_, atoi(entry.c_str() + 15) != 0, "light", "");
    } else {
        lines.push_back({"library", entry});
    }
    return lines;
}
