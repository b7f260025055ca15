#pragma once
// A program's thread that Tessel gave up waiting on is not asked again until
// it answers a WM_NULL sent when Tessel gave up, or the patience runs out:
// Tessel asks several times a second, and a hung program would otherwise cost
// the whole wait at every update. One remembered thread per kind of question.
#include <windows.h>

#include <cstdint>

#include "common/time.h"

namespace tessel {

enum class AnswerSlot : std::uint8_t { CaretObject, Outlook };

inline constexpr Duration kUnansweredPatience = Ms(5000);

// The slot's thread has not answered since Tessel gave up on it, and the
// patience has not run out.
bool StillUnanswered(AnswerSlot slot, DWORD thread, MonoTime now) noexcept;

// Sends the WM_NULL whose answer frees the thread of `window` again (the
// answer arrives while the GUI thread pumps messages). False when it cannot
// be sent, leaving nothing to wait for: the window is gone.
bool AwaitAnswer(AnswerSlot slot, HWND window, DWORD thread, MonoTime now) noexcept;

}  // namespace tessel
