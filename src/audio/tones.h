// The key tones: play a WAVE resource of the program once, to its end.
#pragma once
#include <windows.h>

// Plays WAVE resource `resourceId` once on the key-tone device and returns when it has
// finished (or could not be played: then nothing is heard and nothing is reported).
void PlayTone(UINT resourceId);
// Plays the tone of key `index` (0-9 digits, 10 "*", 11 "#") through g_app.keyToneTable.
// An index outside the table plays nothing.
void PlayKeyToneByIndex(int index);
