// Placeholder until the tone player lands.
#include "audio/tones.h"
void PlayTone(UINT) {}
void PlayKeyToneByIndex(int) {}
