// The handset's LCD, light and ringer, and its plug events.
#pragma once

// Mode-0 request (everything off), then the light off. Shutdown only.
void ClearHandsetDisplay();
// Mode-1 request with `on`, the light with `on`, then the in-call flag := `on`.
void SetInCallIndicator(int on);
// Mode-2 request with `on` (param 6 when on, else 0).
void SetSkypeIndicator(int on);
// The DialBuffer on the text line: mode 3 with text, mode 4 when empty.
void ShowDialBuffer();
// Empties the DialBuffer and shows it (the idle text line).
void EmptyDialBuffer();
// The ringer: 1 rings, 0 stops.
void RingHandset(int on);
// The two requests start-up makes once the handset is open: the empty text line, then the
// Skype indicator record with the same empty text.
void ShowStartupDisplay();

// The handset was plugged in (connected nonzero) or removed; runs on the main thread.
void OnHandsetPlug(int connected, int reserved);
