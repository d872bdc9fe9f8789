// Command-line options of skypesim.exe. With none it behaves as a plain Skype would.
//   --attach-status N         attach reply status (0, 1, 2, 3 or 0x8001); default 0
//   --attach-timing sync|posted  answer inside the discovery broadcast (default) or after it
//   --no-pong                 never answer PING
//   --misspelt-reply          answer "GET CALL <id> PARTENER_DISPNAME" with the name
//   --no-duration             no DURATION lines
//   --no-greeting             nothing pushed right after a successful attach
//   --ring-timeout MS         incoming calls nobody answers become MISSED after MS
//   --get-delay MS            replies to GET come MS later, as messages of their own
//   --ring-on-attach NAME     a call from NAME rings the moment a client attaches, its
//                             RINGING sent while the client's broadcast is still running
//   --hidden                  start with the main window hidden
//   --allow-second            run even when another simulator runs on this desktop
//   --focus-stays-behind      FOCUS shows the main window without taking the foreground,
//                             as Windows' foreground lock has it for a Skype in the background
#pragma once
#include "sim_state.h"

// False on an unknown option or a bad value.
bool ParseSimOptions(int argc, char** argv, SimOptions* options);
