// The two callbacks handed to the handset library. The library calls them on a thread of its
// own choosing (or from inside one of its entry points); they only post the event to the main
// window, where it is handled in order with everything else.
#pragma once

void __stdcall HandsetKeyCallback(int key);
void __stdcall HandsetPlugCallback(int connected, int reserved);
