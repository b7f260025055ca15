#include "main/raw_input.h"

namespace tessel {
namespace {

// Little-endian reads, independent of the host's byte order and alignment.
std::uint16_t U16At(const unsigned char* p, std::size_t offset) {
    return static_cast<std::uint16_t>(p[offset] | (p[offset + 1] << 8));
}
std::uint32_t U32At(const unsigned char* p, std::size_t offset) {
    return static_cast<std::uint32_t>(U16At(p, offset)) | (static_cast<std::uint32_t>(U16At(p, offset + 2)) << 16);
}
std::uint64_t U64At(const unsigned char* p, std::size_t offset) {
    return static_cast<std::uint64_t>(U32At(p, offset)) | (static_cast<std::uint64_t>(U32At(p, offset + 4)) << 32);
}

constexpr std::uint32_t kRimTypeKeyboard = 1;
constexpr std::uint16_t kRiKeyBreak = 0x0001;
constexpr std::uint16_t kInvalidVirtualKey = 0xFF;

}  // namespace

RawInputOutcome ParseRawInput(std::uint32_t result, const void* buffer, std::size_t size, bool lParamNull) {
    RawInputOutcome out;
    if (lParamNull || buffer == nullptr || size < kRawInputPacketSize) return out;
    if (result == kRawInputError || result < kRawInputPacketSize) return out;
    const auto* p = static_cast<const unsigned char*>(buffer);
    std::uint32_t type = U32At(p, 0);
    std::uint32_t declaredSize = U32At(p, 4);
    if (declaredSize < kRawInputPacketSize) return out;

    out.kind = RawInputKind::Ignored;
    if (type != kRimTypeKeyboard) return out;
    RawKeyEvent key;
    key.device = U64At(p, 8);
    key.makeCode = U16At(p, 24);
    key.flags = U16At(p, 26);
    key.virtualKey = U16At(p, 30);
    if ((key.flags & kRiKeyBreak) != 0 || key.virtualKey == kInvalidVirtualKey) return out;
    out.kind = RawInputKind::KeyDown;
    out.key = key;
    return out;
}

}  // namespace tessel
