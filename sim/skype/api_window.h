// Skype's API window: answers the discovery broadcast with the attach reply, receives the
// client's commands in WM_COPYDATA and sends replies and notifications to the attached client.
#pragma once
#include <windows.h>

#include <string>

// Registers the two API messages and creates the hidden top-level window (it must be
// top-level: broadcasts do not reach message-only windows). Call on the UI thread.
bool CreateApiWindow();

// Sends (or, with the posted timing, posts) the attach message with `status` to `client` and
// logs it. Status 0 makes `client` the attached client; another status detaches it if it
// was attached.
void SendAttach(HWND client, unsigned status);

// Sends `text` to the attached client at once (used for replies, inside the command's send).
// False when nobody is attached or the send failed.
bool SendToClient(const std::string& text);
// The same to any window (a program not attached).
bool SendToWindow(HWND window, const std::string& text);

// Queues a notification; the message loop sends it soon after, in order.
void QueueNotification(const std::string& text);

// Sends what waits in the outbox (re-entrant calls leave the work to the outer one).
void FlushOutbox();
