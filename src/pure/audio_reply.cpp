// Reading Skype's audio device replies.
#include "pure/audio_reply.h"

#include <cstring>

namespace {
struct Keyword {
    const char* word;
    AudioReplyKind kind;
};
const Keyword kDeviceKeywords[] = {
    {"AUDIO_OUT", kAudioReplyOutput},
    {"AUDIO_IN", kAudioReplyInput},
};
const char kRefusal[] = "ERROR 50";
} // namespace

AudioReply ReadAudioReply(const char* text)
{
    for (const Keyword& keyword : kDeviceKeywords) {
        size_t length = strlen(keyword.word);
        if (strncmp(text, keyword.word, length) == 0 && text[length] == ' ')
            return {keyword.kind, text + length + 1};
    }
    // "ERROR 50" alone or with Skype's description after it, never "ERROR 500".
    size_t length = sizeof kRefusal - 1;
    if (strncmp(text, kRefusal, length) == 0 && (text[length] == '\0' || text[length] == ' '))
        return {kAudioReplyRefused, nullptr};
    return {kAudioReplyNone, nullptr};
}
