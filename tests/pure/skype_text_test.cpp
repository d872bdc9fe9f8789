// Reading Skype's texts and attach statuses, as tables of cases.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exact_text.h"
#include "pure/active_calls.h"
#include "pure/attach_reply.h"
#include "pure/audio_reply.h"
#include "pure/call_id.h"
#include "pure/call_notification.h"

namespace {
// Where `part` begins in `text`, or -1 for null.
long OffsetIn(const char* text, const char* part)
{
    return part ? long(part - text) : -1;
}
} // namespace

TEST(CallIdParsing, ReadsLikeScanfPercentD)
{
    const struct {
        const char* text;
        int32_t id;
        long rest; // where the text goes on after the id; -1: no id read
    } cases[] = {
        {"CALL 12 STATUS RINGING", 12, 7},
        {"CALL12 PARTNER_DISPNAME Ann", 12, 6},
        {"CALL  \t+7 STATUS X", 7, 9},
        {"CALL -3 STATUS RINGING", -3, 7},
        {"CALL 2147483647 X", 2147483647, 15},
        {"CALL -2147483648 X", -2147483647 - 1, 16},
        {"CALL 2147483648 X", 0, -1},
        {"CALL -2147483649 X", 0, -1},
        {"CALL 99999999999999999999999 X", 0, -1},
        {"CALL x", 0, -1},
        {"CALL", 0, -1},
        {"Call 5", 0, -1},
        {"CALL - 5", 0, -1},
        {"CALL 0 STATUS RINGING", 0, 6},
    };
    for (const auto& c : cases) {
        std::unique_ptr<char[]> text = ExactText(c.text);
        const char* rest = text.get();
        EXPECT_EQ(ReadCallId(text.get(), &rest), c.id) << c.text;
        EXPECT_EQ(OffsetIn(text.get(), rest), c.rest) << c.text;
    }
}

// Read by the property right after the id: a status only from "STATUS" with one known word
// as its whole value, a name or a handle as the rest of the text, whatever it holds.
TEST(CallNotification, ReadByItsProperty)
{
    const struct {
        const char* text;
        int32_t id;
        const char* status; // the rule's word; null: none
        long name;          // offsets into the text; -1: none
        long handle;
    } cases[] = {
        {"CALL 5 STATUS RINGING", 5, "RINGING", -1, -1},
        {"CALL 5 STATUS CANCELLED", 5, "CANCELLED", -1, -1},
        {"CALL 5 STATUS BUSY", 5, "BUSY", -1, -1},
        {"CALL 5 STATUS EARLYMEDIA", 5, nullptr, -1, -1},
        // The status is the whole value, one word.
        {"CALL 5 STATUS RINGINGX", 5, nullptr, -1, -1},
        {"CALL 5 STATUS FINISHED STATUS FAILED", 5, nullptr, -1, -1},
        {"CALL 5 STATUS RINGING ", 5, nullptr, -1, -1},
        {"CALL 5 STATUS ", 5, nullptr, -1, -1},
        {"CALL 5 STATUS", 5, nullptr, -1, -1},
        {"CALL 5 status ringing", 5, nullptr, -1, -1},
        {"CALL 5 STATUS ringing", 5, nullptr, -1, -1},
        {"CALL 5  STATUS RINGING", 5, nullptr, -1, -1},
        {"CALL 5 STATUSX RINGING", 5, nullptr, -1, -1},
        // Status words elsewhere are only words.
        {"CALL 5 DURATION 3 STATUS FINISHED", 5, nullptr, -1, -1},
        {"CALL 5 FAILUREREASON 14", 5, nullptr, -1, -1},
        // A name is the rest of the text: status words in it stay the name.
        {"CALL 5 PARTNER_DISPNAME Ann", 5, nullptr, 24, -1},
        {"CALL 5 PARTNER_DISPNAME Eve STATUS FINISHED", 5, nullptr, 24, -1},
        {"CALL 5 PARTNER_DISPNAME Bob STATUS INPROGRESS", 5, nullptr, 24, -1},
        {"CALL 5 PARTNER_DISPNAME ", 5, nullptr, 24, -1},
        {"CALL 5 PARTNER_DISPNAME", 5, nullptr, -1, -1},
        {"CALL 5 PARTENER_DISPNAME Bo", 5, nullptr, 25, -1},
        {"CALL 5 PARTENER_DISPNAME A PARTNER_DISPNAME B", 5, nullptr, 25, -1},
        {"CALL 5 PARTNER_DISPNAME A PARTENER_DISPNAME B", 5, nullptr, 24, -1},
        {"CALL 5 PARTNER_DISPNAMES Ann", 5, nullptr, -1, -1},
        {"CALL 5 STATUS RINGING PARTNER_DISPNAME Ann", 5, nullptr, -1, -1},
        // The handle reply: everything after the property, whatever it says.
        {"CALL 7 PARTNER_HANDLE echo123", 7, nullptr, -1, 22},
        {"CALL 7 PARTNER_HANDLE x STATUS FINISHED PARTNER_DISPNAME y", 7, nullptr, -1, 22},
        {"CALL 7 PARTNER_HANDLE ", 7, nullptr, -1, 22},
        {"CALL 7 X PARTNER_HANDLE h STATUS FINISHED", 7, nullptr, -1, -1},
        // TYPE is read on its own (ReadsTheTypeAsTheCallsDirection); it is no status.
        {"CALL 7 TYPE INCOMING_P2P", 7, nullptr, -1, -1},
        {"CALL 7  PARTNER_HANDLE h", 7, nullptr, -1, -1},
        // No id: nothing else is read.
        {"CALL x STATUS RINGING", 0, nullptr, -1, -1},
        {"CALL 0 STATUS RINGING", 0, nullptr, -1, -1},
        {"CALL 5STATUS RINGING", 5, nullptr, -1, -1},
        {"CALL -2 STATUS RINGING", -2, "RINGING", -1, -1},
        {"", 0, nullptr, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<char[]> text = ExactText(c.text);
        CallNotification n = ReadCallNotification(text.get());
        EXPECT_EQ(n.id, c.id);
        EXPECT_EQ(OffsetIn(text.get(), n.name), c.name);
        EXPECT_EQ(OffsetIn(text.get(), n.handle), c.handle);
        if (c.status) {
            ASSERT_NE(n.status, nullptr);
            EXPECT_STREQ(n.status->word, c.status);
        } else {
            EXPECT_EQ(n.status, nullptr);
        }
    }
}

TEST(CallNotification, ReadsTheTypeAsTheCallsDirection)
{
    const struct {
        const char* text;
        CallDirection direction;
    } cases[] = {
        {"CALL 7 TYPE INCOMING_P2P", kIncoming},
        {"CALL 7 TYPE INCOMING_PSTN", kIncoming},
        {"CALL 7 TYPE OUTGOING_P2P", kOutgoing},
        {"CALL 7 TYPE OUTGOING_PSTN", kOutgoing},
        {"CALL 7 TYPE INCOMING_P2PX", kDirectionUnknown},
        {"CALL 7 TYPE incoming_p2p", kDirectionUnknown},
        {"CALL 7 TYPE ", kDirectionUnknown},
        {"CALL 7 PARTNER_DISPNAME TYPE INCOMING_P2P", kDirectionUnknown},
        {"CALL 7 STATUS OUTGOING_P2P", kDirectionUnknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadCallNotification(c.text).direction, c.direction) << c.text;
}

TEST(ActiveCalls, ReadsTheIdsOfTheCallsReply)
{
    const struct {
        const char* text;
        int count;
        std::vector<int32_t> ids;
    } cases[] = {
        {"CALLS 12, 34", 2, {12, 34}},
        {"CALLS 81325", 1, {81325}},
        {"CALLS ", 0, {}},
        {"CALLS    ", 0, {}},
        {"CALLS 1,2,3", 3, {1, 2, 3}},
        {"CALLS 5 , 6", 2, {5, 6}},
        {"CALLS 2147483647", 1, {2147483647}},
        // A malformed item ends the list where it stands.
        {"CALLS 12, x, 34", 1, {12}},
        {"CALLS 12x, 34", 0, {}},
        {"CALLS 12 34", 0, {}},
        {"CALLS 0, 5", 0, {}},
        {"CALLS -5", 0, {}},
        {"CALLS 2147483648, 5", 0, {}},
        {"CALLS 99999999999999999999, 5", 0, {}},
        {"CALLS 12,, 34", 1, {12}},
        // Not the reply.
        {"CALLS", -1, {}},
        {"calls 12", -1, {}},
        {"CALL 12 STATUS RINGING", -1, {}},
        {"ERROR 2 Unknown command", -1, {}},
        {"", -1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<char[]> text = ExactText(c.text);
        int32_t ids[kMaxActiveCallsAsked] = {};
        int count = ReadActiveCalls(text.get(), ids, kMaxActiveCallsAsked);
        EXPECT_EQ(count, c.count);
        if (count > 0) {
            EXPECT_EQ(std::vector<int32_t>(ids, ids + count), c.ids);
        }
    }
    // Only so many are read from a long list.
    std::string many = "CALLS 1";
    for (int id = 2; id <= kMaxActiveCallsAsked + 5; ++id)
        many += ", " + std::to_string(id);
    int32_t ids[kMaxActiveCallsAsked] = {};
    EXPECT_EQ(ReadActiveCalls(many.c_str(), ids, kMaxActiveCallsAsked), int(kMaxActiveCallsAsked));
    EXPECT_EQ(ids[kMaxActiveCallsAsked - 1], int32_t(kMaxActiveCallsAsked));
}

TEST(CallNotification, EachStatusWordHasItsEffect)
{
    const struct {
        const char* word;
        CallStatusEffect effect;
        bool leavesConversation;
        bool clearsRinging;
    } rules[] = {
        {"FAILED", kEnds, false, true},       {"ROUTING", kPlaced, false, false},
        {"UNPLACED", kEnds, false, true},     {"RINGING", kRings, false, false},
        {"INPROGRESS", kConnected, false, false}, {"ONHOLD", kOnHold, false, false},
        {"FINISHED", kEnds, true, false},     {"MISSED", kEnds, true, true},
        {"REFUSED", kEnds, true, true},       {"CANCELLED", kEnds, true, true},
        {"BUSY", kEnds, true, true},
    };
    for (const auto& r : rules) {
        std::string text = std::string("CALL 3 STATUS ") + r.word;
        const CallStatusRule* rule = ReadCallNotification(text.c_str()).status;
        ASSERT_NE(rule, nullptr) << r.word;
        EXPECT_EQ(rule->effect, r.effect) << r.word;
        EXPECT_EQ(rule->leavesConversation, r.leavesConversation) << r.word;
        EXPECT_EQ(rule->clearsRinging, r.clearsRinging) << r.word;
    }
}

TEST(AttachReply, OnlySkypesFourStatusesMeanSomething)
{
    const struct {
        int64_t status;
        AttachReply reply;
    } cases[] = {
        {0, kAttachAttached},
        {1, kAttachAsking},
        {2, kAttachRefused},
        {3, kAttachOther},
        {0x8001, kAttachApiAvailable},
        {0x8002, kAttachOther},
        {-1, kAttachOther},
        // A 64-bit lParam whose low half is a known status is still none of Skype's.
        {int64_t(1) << 32, kAttachOther},
        {(int64_t(1) << 32) | 0x8001, kAttachOther},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyAttachReply(c.status), c.reply) << c.status;
}

TEST(AudioReply, KeywordsExactlyAndTheRefusal)
{
    const struct {
        const char* text;
        AudioReplyKind kind;
        const char* name; // null: none
    } cases[] = {
        {"AUDIO_OUT USB Audio Device", kAudioReplyOutput, "USB Audio Device"},
        {"AUDIO_IN Mikrofon (USB-Audioger\xC3\xA4t)", kAudioReplyInput,
         "Mikrofon (USB-Audioger\xC3\xA4t)"},
        {"AUDIO_OUT ", kAudioReplyOutput, ""},
        {"AUDIO_OUT  two blanks", kAudioReplyOutput, " two blanks"},
        {"AUDIO_OUT", kAudioReplyNone, nullptr},
        {"AUDIO_OUTX Speakers", kAudioReplyNone, nullptr},
        {"audio_out Speakers", kAudioReplyNone, nullptr},
        {"AUDIO_INPUT x", kAudioReplyNone, nullptr},
        {"ERROR 50", kAudioReplyRefused, nullptr},
        {"ERROR 50 cannot set device", kAudioReplyRefused, nullptr},
        {"ERROR 500", kAudioReplyNone, nullptr},
        {"ERROR 5", kAudioReplyNone, nullptr},
        {"ERROR 51 x", kAudioReplyNone, nullptr},
        {"", kAudioReplyNone, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<char[]> text = ExactText(c.text);
        AudioReply reply = ReadAudioReply(text.get());
        EXPECT_EQ(reply.kind, c.kind);
        if (c.name)
            EXPECT_STREQ(reply.name, c.name);
        else
            EXPECT_EQ(reply.name, nullptr);
    }
}
