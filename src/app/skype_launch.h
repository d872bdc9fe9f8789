// Starting Skype at start-up, from the path Skype records for itself.
#pragma once

// Starts the program that `skypePath` (the "SkypePath" value, already expanded) names, and
// returns without waiting for it. A value naming an existing file is that program, started
// with no arguments; anything else is a command line, used as it stands. Empty: nothing.
// False when there was no program to start (no value, or one naming no program: Skype is
// not installed); true when one was found, whether it started or not.
bool StartSkype(const char* skypePath);
