// Skype's replies about its audio devices: any text.
#include <cstdlib>
#include <cstring>

#include "exact_text.h"
#include "pure/audio_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> owned = ExactText(data, size);
    const char* text = owned.get();
    AudioReply reply = ReadAudioReply(text);
    switch (reply.kind) {
    case kAudioReplyOutput:
    case kAudioReplyInput:
        if (!reply.name || !PointsInto(reply.name, text) || reply.name == text)
            abort();
        (void)strlen(reply.name);
        break;
    case kAudioReplyRefused:
    case kAudioReplyNone:
        if (reply.name)
            abort();
        break;
    }
    if (reply.kind == kAudioReplyRefused && strncmp(text, "ERROR 50", 8) != 0)
        abort();
    return 0;
}
