// Hostile WM_COPYDATA: while attached, a flood of malformed, oversized and strange texts from
// Skype's window, and about one in six from a window that is not Skype's.
#include <gtest/gtest.h>

#include <cstring>

#include "rig.h"

namespace {
const long kMessages = 100000;
const DWORD kMostMs = 60000;
// Call ids that only the stranger uses: any command naming one shows that its text was read.
const int kStrangerIds = 7000;

struct Message {
    std::vector<char> bytes;
    DWORD size = 0;        // cbData
    bool nullData = false; // lpData null whatever cbData says
};

void Put(Message* message, const std::string& text, bool withNul = true)
{
    message->bytes.assign(text.begin(), text.end());
    if (withNul)
        message->bytes.push_back('\0');
    message->size = DWORD(message->bytes.size());
}

std::string Letters(Random& random, size_t length, char first, int span)
{
    std::string text(length, ' ');
    for (char& c : text)
        c = char(first + random.Below(uint32_t(span)));
    return text;
}

// Statuses the flood reports. Never INPROGRESS: a call left in conversation would rightly
// make the driver refuse the valid call at the end.
const char* const kStatuses[] = {"RINGING", "FINISHED", "MISSED", "REFUSED", "ROUTING",
                                 "FAILED", "UNPLACED", "ONHOLD", "BUSY", "ringing", ""};
// Ids that overflow, are negative, are written in other bases or are no number at all.
const char* const kStrangeIds[] = {
    "99999999999999999999", "2147483648", "4294967297", "9223372036854775808", "-1",
    "-2147483648", "-99999999999", "0x10", "0X7FFFFFFF", "017", "0b101", "1e3", "1.5", "+5",
    "++5", "- 5", "\t9", "", "\xd9\xa3", "0", "00000000000000000000000000000000000000004"};

// The generators: each fills one message; `id` is the call id for those that carry one.
void RandomBytes(Random& random, int, Message* message)
{
    message->bytes.resize(random.SpreadLength(65536));
    for (char& c : message->bytes)
        c = char(1 + random.Below(255)); // no NUL anywhere within cbData
    message->size = DWORD(message->bytes.size());
}

void BytesWithNuls(Random& random, int id, Message* message)
{
    std::string head = "CALL " + std::to_string(id) + " STATUS RINGING";
    message->bytes.resize(random.SpreadLength(65536));
    for (char& c : message->bytes)
        c = random.Chance(10) ? '\0' : char(random.Below(256));
    // Sometimes a readable notification before the first NUL, with more after it.
    if (random.Chance(50) && message->bytes.size() > head.size() + 1) {
        memcpy(message->bytes.data(), head.c_str(), head.size() + 1);
    }
    message->size = DWORD(message->bytes.size());
}

void SizeZeroWithData(Random&, int id, Message* message)
{
    Put(message, "CALL " + std::to_string(id) + " STATUS RINGING");
    message->size = 0;
}

void NullData(Random& random, int, Message* message)
{
    message->nullData = true;
    message->size = random.Chance(50) ? 0 : DWORD(random.SpreadLength(65536));
}

void HugeStatusWord(Random& random, int id, Message* message)
{
    Put(message, "CALL " + std::to_string(id) + " STATUS " +
                     Letters(random, random.SpreadLength(60000), 'A', 26));
}

void StrangeId(Random& random, int, Message* message)
{
    Put(message, std::string("CALL ") + random.Pick(kStrangeIds) + " STATUS " +
                     random.Pick(kStatuses));
}

void LongName(Random& random, int id, Message* message)
{
    const char* marker = random.Chance(50) ? " PARTNER_DISPNAME " : " PARTENER_DISPNAME ";
    Put(message, "CALL " + std::to_string(id) + marker +
                     Letters(random, 10240 + random.Below(2048), ' ', 95));
}

void OnlyBlanks(Random& random, int, Message* message)
{
    static const char blanks[] = {' ', '\t', '\r', '\n', '\v', '\f'};
    std::string text(random.SpreadLength(65536), ' ');
    for (char& c : text)
        c = random.Pick(blanks);
    Put(message, text, random.Chance(50));
}

void PlausibleCall(Random& random, int id, Message* message)
{
    if (random.Chance(10)) {
        Put(message, random.Chance(50) ? "PONG" : "pong " + Letters(random, 20, 'a', 26));
        return;
    }
    Put(message, "CALL " + std::to_string(id) + " STATUS " + random.Pick(kStatuses),
        random.Chance(80));
}

const struct {
    const char* name;
    void (*make)(Random&, int, Message*);
    unsigned weight;
} kGenerators[] = {
    {"random bytes", RandomBytes, 3},      {"bytes with NULs", BytesWithNuls, 3},
    {"cbData 0", SizeZeroWithData, 1},     {"null data", NullData, 1},
    {"huge status word", HugeStatusWord, 2}, {"strange call id", StrangeId, 3},
    {"10 KB name", LongName, 2},           {"only blanks", OnlyBlanks, 1},
    {"plausible call", PlausibleCall, 4},
};
} // namespace

TEST_F(Reliability, HostileCopyData)
{
    Figures figures("hostile-copydata", seed);
    Rig rig;
    ASSERT_TRUE(rig.Start());
    // Not Skype's: a window of the test's own (message-only, so broadcasts pass it by).
    HWND stranger = CreateWindowExA(0, "STATIC", "stranger", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, nullptr, nullptr);
    ASSERT_NE(stranger, nullptr);

    std::vector<unsigned> weights;
    for (const auto& generator : kGenerators)
        weights.push_back(generator.weight);
    long sent = 0, fromStranger = 0, strangerAccepted = 0, skypeRefused = 0, failedSends = 0;
    std::string firstFailure;
    DWORD start = GetTickCount();
    for (; sent < kMessages && GetTickCount() - start < kMostMs; ++sent) {
        bool isStranger = random.Below(6) == 0;
        const auto& generator = kGenerators[random.Weighted(weights)];
        Message message;
        generator.make(random, isStranger ? kStrangerIds + int(random.Below(1000))
                                          : 1 + int(random.Below(9)),
                       &message);
        LRESULT answer = -1;
        bool delivered = SendCopyData(rig.driver.window, isStranger ? stranger : rig.skype.Window(),
                                      message.nullData ? nullptr : message.bytes.data(),
                                      message.size, &answer, 5000);
        if (!delivered || (isStranger ? answer != 0 : answer != 1)) {
            if (firstFailure.empty())
                firstFailure = std::string(generator.name) + " from " +
                               (isStranger ? "the stranger" : "Skype") + ", message " +
                               std::to_string(sent) + ", answer " + std::to_string(answer);
            if (!delivered && ++failedSends > 3)
                break; // the driver is gone or hung: no point going on
        }
        if (!delivered)
            continue;
        fromStranger += isStranger;
        strangerAccepted += isStranger && answer != 0;
        skypeRefused += !isStranger && answer != 1;
        if (sent % 1000 == 0)
            PumpFor(0);
    }
    DWORD floodMs = GetTickCount() - start;
    figures.Add("messages", sent);
    figures.Add("from-stranger", fromStranger);
    figures.AddMs("flood", floodMs);
    figures.Add("per-second", floodMs ? sent * 1000LL / floodMs : 0);
    DestroyWindow(stranger);

    EXPECT_EQ(failedSends, 0) << firstFailure;
    EXPECT_EQ(strangerAccepted, 0) << firstFailure;
    EXPECT_EQ(skypeRefused, 0) << firstFailure;
    EXPECT_TRUE(sent == kMessages || floodMs >= kMostMs) << "stopped after " << sent;

    // Alive, still attached, never dropped, and nothing from the stranger was acted on.
    EXPECT_TRUE(rig.Responsive(1000));
    HandsetSimState handset = rig.Handset();
    figures.Add("longest-lcd", static_cast<long long>(handset.lcdLongest));
    figures.Add("rediscoveries", rig.skype.DiscoveriesAfterAttach());
    EXPECT_TRUE(handset.skype);
    EXPECT_EQ(rig.skype.Client(), rig.driver.window);
    EXPECT_EQ(rig.skype.DiscoveriesAfterAttach(), 0u) << "the link was dropped";
    EXPECT_LE(handset.lcdLongest, 999u);
    long actedOnStranger = 0;
    std::string example;
    for (const std::string& text : rig.skype.Texts()) {
        int id = 0;
        if (sscanf(text.c_str(), "%*s CALL %d", &id) == 1 && id >= kStrangerIds) {
            if (!actedOnStranger++)
                example = text;
        }
    }
    EXPECT_EQ(actedOnStranger, 0) << "acted on the stranger's text, for example: " << example;

    // A valid call still rings and ends cleanly, once the flood's calls are given up: ids 1 to
    // 9, and 17 (its "017", read as "CALL %d" reads it). A call the flood left ROUTING is our
    // own call not yet ended, and rightly keeps the light on until then.
    for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 17})
        EXPECT_TRUE(rig.skype.Notify("CALL " + std::to_string(id) + " STATUS MISSED"));
    EXPECT_TRUE(rig.WaitHandset(HandsetQuiet, 5000));
    size_t mark = rig.skype.CommandCount();
    LRESULT answer = 0;
    EXPECT_TRUE(rig.skype.Notify("CALL 4242 STATUS RINGING", &answer));
    EXPECT_EQ(answer, 1);
    EXPECT_TRUE(rig.skype.WaitCommand("GET CALL 4242 PARTNER_DISPNAME", 5000, mark));
    EXPECT_TRUE(PumpUntil([&] {
        HandsetSimState state = rig.Handset();
        return state.ringing && state.inCall && state.lcdText == "Caller 4242";
    }, 5000));
    EXPECT_TRUE(rig.skype.Notify("CALL 4242 STATUS FINISHED"));
    EXPECT_TRUE(rig.WaitHandset(HandsetQuiet, 5000));
    EXPECT_EQ(rig.driver.Close(), 0u);
}
