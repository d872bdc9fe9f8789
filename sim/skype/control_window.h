// The control channel of the simulator: a message-only window that tests, skypectl and the
// demo use to script calls, inject faults and read the simulator's state (control_protocol.h).
#pragma once

bool CreateControlWindow();

// Ends the simulator: the API window goes first (as when Skype exits), then the others.
void QuitSimulator();
