// Ctrl+Tab / Ctrl+Shift+Tab strokes as one block of keyboard events.
#include "core/second_tab_keys.h"

#include "core/key_input.h"

namespace {
int TabStrokes(int selected)
{
    if (selected == 1 || selected < 0)
        return 0; // already there, or no tab selected
    return selected == 0 ? 1 : selected - 1;
}
} // namespace

UINT SecondTabKeyCount(int selected)
{
    int tabStrokes = TabStrokes(selected);
    if (tabStrokes == 0)
        return 0;
    return UINT(2 * tabStrokes + (selected >= 2 ? 4 : 2));
}

UINT WriteSecondTabKeys(int selected, INPUT* inputs)
{
    int tabStrokes = TabStrokes(selected);
    if (tabStrokes == 0)
        return 0;
    // Left-hand modifier codes (what a keyboard sends), meant to go out in one SendInput
    // call: the modifiers are held for as short a time as possible, and no key the user
    // types lands between them.
    bool shifted = selected >= 2;
    UINT next = 0;
    inputs[next++] = VirtualKeyInput(VK_LCONTROL, false);
    if (shifted)
        inputs[next++] = VirtualKeyInput(VK_LSHIFT, false);
    for (int stroke = 0; stroke < tabStrokes; ++stroke) {
        inputs[next++] = VirtualKeyInput(VK_TAB, false);
        inputs[next++] = VirtualKeyInput(VK_TAB, true);
    }
    if (shifted)
        inputs[next++] = VirtualKeyInput(VK_LSHIFT, true);
    inputs[next++] = VirtualKeyInput(VK_LCONTROL, true);
    return next;
}
