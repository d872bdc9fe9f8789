// The handset's LCD and light (the ringer: ringer.h).
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
// The two requests start-up makes once the handset is open: the empty text line, then the
// Skype indicator record with the same empty text.
void ShowStartupDisplay();
