// The handset's ringer.
#pragma once

// 1 rings, 0 stops. The ringer flag of AppState follows it.
void RingHandset(int on);
