// The ringer through the handset library, and the flag that remembers it.
#include "handset/ringer.h"

#include "core/app_state.h"
#include "handset/handset_api.h"

void RingHandset(int on)
{
    if (HandsetLibraryUsable())
        (void)g_handsetApi.USBPhone_Ring(on);
    g_app.ringerOn = on != 0;
}
