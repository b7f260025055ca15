#pragma once
// Reading a WM_INPUT packet: the 64-bit RAWINPUT layout is a 24-byte header
// (dwType u32, dwSize u32, hDevice u64, wParam u64) followed by RAWKEYBOARD
// (MakeCode u16, Flags u16, Reserved u16, VKey u16, Message u32,
// ExtraInformation u32), 40 bytes in all.
#include <cstddef>
#include <cstdint>

#include "main/scheduling_state.h"

namespace tessel {

constexpr std::uint32_t kRawInputPacketSize = 40;
constexpr std::uint32_t kRawInputHeaderSize = 24;
constexpr std::uint32_t kRidInput = 0x10000003;
constexpr std::uint32_t kRawInputError = 0xFFFFFFFF;  // (UINT)-1 from GetRawInputData

enum class RawInputKind : std::uint8_t {
    Unreadable,  // could not be read: check the mode anyway
    Ignored,     // not a keyboard key-down
    KeyDown,
};

struct RawInputOutcome {
    RawInputKind kind = RawInputKind::Unreadable;
    RawKeyEvent key{};  // meaningful for KeyDown only
};

// `result` is GetRawInputData's return value; `buffer` holds `size` bytes it
// filled (the first 40 are read); `lParamNull` when WM_INPUT carried no handle.
RawInputOutcome ParseRawInput(std::uint32_t result, const void* buffer, std::size_t size, bool lParamNull);

}  // namespace tessel
