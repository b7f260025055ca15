#pragma once
// Where the end-to-end tests register the in-process UI Automation server
// (fake_uia_server.dll), and where the server records the time-outs that its
// client sets, for the test to read from its own process.
#include <windows.h>

namespace tessel::testing::uia_server {

// Under HKEY_LOCAL_MACHINE: the Windows 7 class, which Windows has everywhere,
// and the Windows 8 class, the only one whose object offers the time-outs.
inline constexpr wchar_t kOlderClassKey[] = L"Software\\Classes\\CLSID\\{ff48dba4-60ef-4201-aa87-54103eef594e}";
inline constexpr wchar_t kWindows8ClassKey[] = L"Software\\Classes\\CLSID\\{e22ad333-b25f-460c-83d0-0581107395c9}";

// Under HKEY_CURRENT_USER: DWORD values named after the setters, written when
// the client calls them.
inline constexpr wchar_t kRecordKey[] = L"Software\\Tessel.Tests\\FakeUiaServer";
inline constexpr wchar_t kConnectionTimeout[] = L"ConnectionTimeout";
inline constexpr wchar_t kTransactionTimeout[] = L"TransactionTimeout";

}  // namespace tessel::testing::uia_server
