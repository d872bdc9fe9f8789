// Compares a recorded event log with a named expected table, in the manner of Wine's
// conformance tests: on mismatch a numbered expected-versus-seen listing is printed.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

struct Sequence {
    const char* name;
    std::vector<std::string> steps;
};

::testing::AssertionResult MatchesSequence(const Sequence& expected,
                                           const std::vector<std::string>& seen);

// The listing itself (also used by tools that print a transcript).
std::string SequenceListing(const Sequence& expected, const std::vector<std::string>& seen);

// Events of `seen` that start with `prefix`, in order (to pick one party out of a shared log).
std::vector<std::string> Filter(const std::vector<std::string>& seen, const std::string& prefix);

#define EXPECT_SEQUENCE(expected, seen) EXPECT_TRUE(MatchesSequence((expected), (seen)))
