// Placeholder until the tone player lands.
#pragma once
#include <windows.h>
void PlayTone(UINT resourceId);
void PlayKeyToneByIndex(int index);
