#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "main/raw_input.h"

namespace tessel {
namespace {

// Builds a 64-bit RAWINPUT keyboard packet byte by byte, little endian.
struct Packet {
    std::array<unsigned char, 40> bytes{};
    void Put(std::size_t offset, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    }
    static Packet Keyboard(std::uint16_t vk, std::uint16_t flags = 0) {
        Packet p;
        p.Put(0, 1, 4);                        // dwType = RIM_TYPEKEYBOARD
        p.Put(4, 40, 4);                       // dwSize
        p.Put(8, 0x1122334455667788ull, 8);    // hDevice
        p.Put(16, 0xAABBCCDDull, 8);           // wParam
        p.Put(24, 0x2A, 2);                    // MakeCode
        p.Put(26, flags, 2);                   // Flags
        p.Put(28, 0xFFFF, 2);                  // Reserved
        p.Put(30, vk, 2);                      // VKey
        p.Put(32, 0x0100, 4);                  // Message
        p.Put(36, 0xDEADBEEF, 4);              // ExtraInformation
        return p;
    }
    RawInputOutcome Parse(std::uint32_t result = 40, bool lParamNull = false) const {
        return ParseRawInput(result, bytes.data(), bytes.size(), lParamNull);
    }
};

TEST(MainSchedulerRawInput, KeyDownReadsEveryFieldFromItsOffset) {
    RawInputOutcome out = Packet::Keyboard(0x15).Parse();
    ASSERT_EQ(out.kind, RawInputKind::KeyDown);
    EXPECT_EQ(out.key.device, 0x1122334455667788ull);
    EXPECT_EQ(out.key.makeCode, 0x2A);
    EXPECT_EQ(out.key.flags, 0);
    EXPECT_EQ(out.key.virtualKey, 0x15);
}

TEST(MainSchedulerRawInput, ExtendedKeyDownKeepsItsFlags) {
    RawInputOutcome out = Packet::Keyboard(0x19, 0x02).Parse();  // RI_KEY_E0
    ASSERT_EQ(out.kind, RawInputKind::KeyDown);
    EXPECT_EQ(out.key.flags, 0x02);
}

TEST(MainSchedulerRawInput, ShortOrFailedReadsAreUnreadable) {
    Packet p = Packet::Keyboard(0x41);
    EXPECT_EQ(p.Parse(40, true).kind, RawInputKind::Unreadable);
    EXPECT_EQ(p.Parse(39).kind, RawInputKind::Unreadable);
    EXPECT_EQ(p.Parse(0).kind, RawInputKind::Unreadable);
    EXPECT_EQ(p.Parse(kRawInputError).kind, RawInputKind::Unreadable);
    Packet small = p;
    small.Put(4, 39, 4);
    EXPECT_EQ(small.Parse().kind, RawInputKind::Unreadable);
    EXPECT_EQ(ParseRawInput(40, p.bytes.data(), 39, false).kind, RawInputKind::Unreadable);
    EXPECT_EQ(ParseRawInput(40, nullptr, 40, false).kind, RawInputKind::Unreadable);
}

TEST(MainSchedulerRawInput, KeyUpsOtherDevicesAndInvalidKeysAreIgnored) {
    EXPECT_EQ(Packet::Keyboard(0x41, 0x01).Parse().kind, RawInputKind::Ignored);  // RI_KEY_BREAK
    EXPECT_EQ(Packet::Keyboard(0x41, 0x03).Parse().kind, RawInputKind::Ignored);
    EXPECT_EQ(Packet::Keyboard(0xFF).Parse().kind, RawInputKind::Ignored);
    Packet mouse = Packet::Keyboard(0x41);
    mouse.Put(0, 0, 4);  // RIM_TYPEMOUSE
    EXPECT_EQ(mouse.Parse().kind, RawInputKind::Ignored);
    // A larger declared size is fine: only the first 40 bytes are read.
    Packet big = Packet::Keyboard(0x41);
    big.Put(4, 48, 4);
    EXPECT_EQ(big.Parse().kind, RawInputKind::KeyDown);
}

}  // namespace
}  // namespace tessel
