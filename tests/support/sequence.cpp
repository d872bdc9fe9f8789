// Sequence check with a numbered expected-versus-seen listing.
#include "sequence.h"

#include <algorithm>
#include <cstdio>

std::string SequenceListing(const Sequence& expected, const std::vector<std::string>& seen)
{
    std::string out = "sequence \"" + std::string(expected.name) + "\":\n";
    size_t rows = std::max(expected.steps.size(), seen.size());
    for (size_t i = 0; i < rows; ++i) {
        const std::string want = i < expected.steps.size() ? expected.steps[i] : "(nothing)";
        const std::string got = i < seen.size() ? seen[i] : "(nothing)";
        char line[64];
        snprintf(line, sizeof line, "%s %3u  ", want == got ? "  " : "!!", unsigned(i + 1));
        out += line;
        out += "expected: " + want;
        if (want != got)
            out += "\n         seen:     " + got;
        out += "\n";
    }
    return out;
}

::testing::AssertionResult MatchesSequence(const Sequence& expected,
                                           const std::vector<std::string>& seen)
{
    if (expected.steps == seen)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << SequenceListing(expected, seen);
}

std::vector<std::string> Filter(const std::vector<std::string>& seen, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& event : seen)
        if (event.compare(0, prefix.size(), prefix) == 0)
            out.push_back(event);
    return out;
}
