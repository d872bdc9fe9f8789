// Skype's question to its user whether a new program may use it, and the attach replies that
// follow from the answer.
#pragma once
#include <windows.h>

#include <string>

// A discovery from `client`: answered as the permission state says. An allowed client gets 1
// then 0 (what Skype sends a program it knows), a refused one 2 when the refusal is
// remembered; otherwise a question opens (one more for every discovery while one is open)
// and the client gets 1 until the user answers.
void AnswerDiscovery(HWND client);

// The user answers the open question: 0 (allowed) or 2 (refused) to the client that asked
// last, posted. False, with `reason`, when no question is open.
bool AnswerQuestion(bool allow, std::string* reason);

// Questions opened since start.
int QuestionsAsked();

// Sends "API available" (0x8001) to every top-level window, as Skype does when it starts or
// its user logs in.
void AnnounceApi();
