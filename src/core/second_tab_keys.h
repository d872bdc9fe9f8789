// The strokes that bring a tab control from its selected tab to tab 1 (Skype's second tab).
#pragma once
#include <windows.h>

// How many keyboard events WriteSecondTabKeys writes for tab `selected`: 0 from tab 1 or when
// no tab is selected (negative).
UINT SecondTabKeyCount(int selected);
// Writes them into `inputs` (room for SecondTabKeyCount(selected)) and returns the count:
// Ctrl+Tab from tab 0, Ctrl+Shift+Tab (selected - 1) times from a later tab.
UINT WriteSecondTabKeys(int selected, INPUT* inputs);
