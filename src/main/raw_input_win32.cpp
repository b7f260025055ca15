#include "main/raw_input_win32.h"

namespace tessel {

RawInputOutcome ReadRawInput(LPARAM lParam) {
    static_assert(sizeof(RAWINPUTHEADER) == kRawInputHeaderSize);
    static_assert(sizeof(RAWINPUTHEADER) + sizeof(RAWKEYBOARD) == kRawInputPacketSize);
    alignas(8) unsigned char buffer[kRawInputPacketSize] = {};
    if (lParam == 0) return ParseRawInput(kRawInputError, buffer, sizeof(buffer), true);
    UINT size = kRawInputPacketSize;
    UINT result = ::GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, buffer, &size,
                                    sizeof(RAWINPUTHEADER));
    return ParseRawInput(result, buffer, sizeof(buffer), false);
}

}  // namespace tessel
