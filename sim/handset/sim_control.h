// The control window's requests (see sim_protocol.h).
#pragma once
#include <windows.h>

// Registers the control window class; false when that failed.
bool RegisterControlClass();

// Carries out one WM_COPYDATA request and sends its answer to `replyWindow`.
LRESULT HandleControlRequest(HWND control, HWND replyWindow, const COPYDATASTRUCT* request);
