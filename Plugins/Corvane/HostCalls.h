// HostCalls: the host operations of the verification, as plain C++ calls.
//
// Each function passes its texts as system strings, tests the host's status with
// CheckHostStatus (a failing status raises the exception it names) and returns the result.
// Flags come back as bool; a field that the host reports as absent comes back as nullopt.
// Calls happen on the host's user-interface thread.
#pragma once

#include "PluginAPI/HostInterfaces.h"

#include <optional>
#include <string>
#include <string_view>

std::u16string GetHostValue(IHostKernel& kernel, std::u16string_view name);
void WriteHostLog(IHostKernel& kernel, std::u16string_view line);
void ShowHostMessage(IHostKernel& kernel, std::u16string_view text, std::u16string_view caption);
void ExecuteHostCommand(IHostKernel& kernel, std::u16string_view command,
                        std::u16string_view parameter);

bool RecordExists(IHostServer& server, std::u16string_view table, std::u16string_view condition);
LONG CreateQuery(IHostServer& server);
void OpenQuery(IHostServer& server, LONG query, std::u16string_view sql);
std::optional<LONG> GetIntegerField(IHostServer& server, LONG query, std::u16string_view column);
std::optional<bool> GetBooleanField(IHostServer& server, LONG query, std::u16string_view column);
void CloseQuery(IHostServer& server, LONG query);
void FreeQuery(IHostServer& server, LONG query);
bool ExecuteSQL(IHostServer& server, std::u16string_view statement);
