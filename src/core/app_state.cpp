// The one global AppState and its start values.
#include "core/app_state.h"

AppState g_app;

namespace {
// Digits 0-9 play WAVE 133-142; "*" plays 146 and "#" 144.
const UINT kInitialKeyTones[kKeyToneCount] = {133, 134, 135, 136, 137, 138,
                                              139, 140, 141, 142, 146, 144};

struct AppStateInitializer {
    AppStateInitializer() { ResetAppState(); }
};
AppStateInitializer g_initializer;
} // namespace

void ResetAppState()
{
    g_app = AppState();
    g_app.hookState = -1;
    for (int i = 0; i < kKeyToneCount; ++i)
        g_app.keyToneTable[i] = kInitialKeyTones[i];
}
