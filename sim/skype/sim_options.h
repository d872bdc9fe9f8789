// Command-line options of skypesim.exe. With none it behaves as a plain Skype would.
//   --attach-status N         every discovery answered with this status alone (0, 1, 2, 3 or
//                             0x8001); default: 1 then 0, as Skype answers a known program
//   --ask-permission          the client is not yet allowed: a discovery opens a question
//                             that a control request answers
//   --remember-refusal        a refused client gets 2 on later discoveries, no new question
//   --announce-api            "API available" (0x8001) to every top-level window at start
//   --attach-timing sync|posted  answer inside the discovery broadcast (default) or after it
//   --no-pong                 never answer PING
//   --misspelt-reply          answer "GET CALL <id> PARTENER_DISPNAME" with the name
//   --no-duration             no DURATION lines
//   --no-greeting             nothing pushed right after a successful attach
//   --ring-timeout MS         incoming calls nobody answers become MISSED after MS
//   --get-delay MS            replies to GET come MS later, as messages of their own
//   --ring-on-attach NAME     a call from NAME rings the moment a client attaches, its
//                             RINGING sent while the client's broadcast is still running
//   --skype-5                 main window class "tSkMainForm", title "Skype™ - simulator", as
//                             Skype 5.1 and later name it
//   --hidden                  start with the main window hidden
//   --allow-second            run even when another simulator runs on this desktop
//   --focus-stays-behind      FOCUS shows the main window without taking the foreground,
//                             as Windows' foreground lock has it for a Skype in the background
#pragma once
#include "sim_state.h"

// False on an unknown option or a bad value.
bool ParseSimOptions(int argc, char** argv, SimOptions* options);
