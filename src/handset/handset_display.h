// The handset's LCD, light and ringer.
#pragma once

// Clear request (everything off), then the light off. Shutdown only.
void ClearHandsetDisplay();
// In-call indicator request with `on`, the light with `on`, then the in-call flag := `on`.
void SetInCallIndicator(int on);
// Skype indicator request with `on` (the shown parameter when on, else 0).
void SetSkypeIndicator(int on);
// The DialBuffer on the text line: the text request, or the idle one when it is empty.
void ShowDialBuffer();
// Empties the DialBuffer and shows it (the idle text line).
void EmptyDialBuffer();
// The ringer: 1 rings, 0 stops. The ringer flag of AppState follows it.
void RingHandset(int on);
// The two requests start-up makes once the handset is open: the empty text line, then the
// Skype indicator record with the same empty text.
void ShowStartupDisplay();
