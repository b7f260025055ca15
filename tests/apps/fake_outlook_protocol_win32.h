#pragma once
// What the fake Outlook program and the tests that drive it agree on: its
// control messages, its scenarios, the members it counts and its caret.
#include <windows.h>

namespace tessel::testing::fake_outlook {

constexpr UINT kShowScenario = WM_APP + 10;    // wParam: Scenario; answers the frame shown
constexpr UINT kAliveObjects = WM_APP + 11;    // objects and connections not yet released
constexpr UINT kHandedOut = WM_APP + 12;       // objects made for member reads
constexpr UINT kReads = WM_APP + 13;           // member reads
constexpr UINT kBadFlagReads = WM_APP + 14;    // member reads without DISPATCH_PROPERTYGET
constexpr UINT kPublish = WM_APP + 15;         // wParam: nonzero publishes, zero withdraws
constexpr UINT kMembersRead = WM_APP + 16;     // MemberBit of each member read so far
constexpr UINT kCaretObjectRequests = WM_APP + 17;
constexpr UINT kRaiseFocusEvent = WM_APP + 18;
constexpr UINT kHangNextCall = WM_APP + 19;  // wParam: milliseconds; lParam: HangTarget
constexpr UINT kCalls = WM_APP + 20;         // calls that reached the objects: lookups, reads, locations
constexpr UINT kBusyOnPing = WM_APP + 21;    // wParam: milliseconds the next WM_NULL to a message window takes
constexpr UINT kPokeDuringHang = WM_APP + 22;  // wParam: thread to post WM_NULL to; lParam: ms into the hang

// Which next call sleeps, as an application whose thread hangs while it serves it.
enum HangTarget { kHangMemberRead = 0, kHangCaretLocation = 1 };

enum Scenario { kCompose = 0, kReceived = 1, kInline = 2, kReading = 3 };

enum Member { kActiveInspector = 1, kActiveExplorer, kCaption, kCurrentItem, kClass, kSent, kActiveInlineResponse };
constexpr long MemberBit(Member m) { return 1L << m; }

// The caret in the message pane, in the pane's client coordinates.
constexpr RECT kCaretInPane = {60, 40, 62, 58};

}  // namespace tessel::testing::fake_outlook
