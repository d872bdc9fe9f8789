// Skype's answer to our attach request: the status it carries, and what that status means.
#pragma once
#include <cstdint>

enum AttachReply {
    kAttachOther,        // a status that changes nothing
    kAttachAttached,     // 0: we are attached; the message names Skype's API window
    kAttachAsking,       // 1: Skype asks its user whether to let us in
    kAttachRefused,      // 2: its user refused
    kAttachApiAvailable, // 0x8001: Skype started or its user logged in; discover now
};

// The status as it comes in the message's lParam (64 bits wide on a 64-bit Windows: a status
// with high bits set is none of Skype's).
AttachReply ClassifyAttachReply(int64_t status);
