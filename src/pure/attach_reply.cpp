// The statuses of Skype's attach reply.
#include "pure/attach_reply.h"

namespace {
struct AttachStatus {
    int64_t status;
    AttachReply reply;
};

// Skype's own numbers. 3 (the API cannot be used now) changes nothing: 0x8001 follows once
// it can.
const AttachStatus kAttachStatuses[] = {
    {0, kAttachAttached},
    {1, kAttachAsking},
    {2, kAttachRefused},
    {0x8001, kAttachApiAvailable},
};
} // namespace

AttachReply ClassifyAttachReply(int64_t status)
{
    for (const AttachStatus& row : kAttachStatuses)
        if (row.status == status)
            return row.reply;
    return kAttachOther;
}
