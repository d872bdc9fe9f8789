// The vendor library's boundary types: the LcdRequest record and the two callback types.
#pragma once
#include <cstddef>
#include <cstdint>

// Passed by value to USBPhone_DisplayLCD; the handset firmware fixes this layout.
struct LcdRequest {
    int32_t mode;
    uint8_t on;
    int32_t param;
    const char* text;
    uint8_t textOn;
};

#if !defined(_WIN64)
// With 32-bit pointers the record must be the library's five 32-bit words.
static_assert(sizeof(LcdRequest) == 20, "LcdRequest is 20 bytes");
static_assert(offsetof(LcdRequest, on) == 4, "LcdRequest.on at 4");
static_assert(offsetof(LcdRequest, param) == 8, "LcdRequest.param at 8");
static_assert(offsetof(LcdRequest, text) == 12, "LcdRequest.text at 12");
static_assert(offsetof(LcdRequest, textOn) == 16, "LcdRequest.textOn at 16");
#endif

// The library calls these the Win32 way: the callee removes its own arguments.
typedef void(__stdcall* HandsetKeyCallback)(int key);
typedef void(__stdcall* HandsetPlugCallback)(int connected, int reserved);
