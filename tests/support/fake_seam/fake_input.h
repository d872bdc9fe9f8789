// Recording fakes of the keystroke and pause seam.
#pragma once
// SharedLog() entries: "key <vk> down" / "key <vk> up" (vk in decimal), "pause <ms>".
