// HostCalls: the host operations of the verification, as plain C++ calls.
//
// Each function passes its texts as system strings, tests the host's status with
// CheckHostStatus (a failing status raises the exception it names) and returns the result.
// Flags come back as bool; a field that the host reports as absent comes back as nullopt.
// FreeQueryQuietly alone ignores the host's status, for use while an error is on its way out.
// Calls happen on the host's user-interface thread.
#pragma once

#include "Platform/SysString.h"
#include "PluginAPI/HostInterfaces.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

std::u16string GetHostValue(IHostKernel& kernel, std::u16string_view name);
void WriteHostLog(IHostKernel& kernel, std::u16string_view line);
void ShowHostMessage(IHostKernel& kernel, std::u16string_view text, std::u16string_view caption);
void ExecuteHostCommand(IHostKernel& kernel, std::u16string_view command,
                        std::u16string_view parameter);

// The table's and the column's names are system strings the caller keeps: the record step
// passes the same names once per record.
bool RecordExists(IHostServer& server, const TSysString& table, std::u16string_view condition);
LONG CreateQuery(IHostServer& server);
void OpenQuery(IHostServer& server, LONG query, std::u16string_view sql);
std::optional<LONG> GetIntegerField(IHostServer& server, LONG query, std::u16string_view column);
std::optional<bool> GetBooleanField(IHostServer& server, LONG query, const TSysString& column);
// A date-time field as the host reports it (not checked to be a real calendar date).
struct THostDateTime {
    std::uint16_t Year = 0;
    std::uint16_t Month = 0;
    std::uint16_t Day = 0;
    std::uint16_t Hour = 0;
    std::uint16_t Minute = 0;
    std::uint16_t Second = 0;
};
std::optional<THostDateTime> GetDateTimeField(IHostServer& server, LONG query,
                                              std::u16string_view column);
void CloseQuery(IHostServer& server, LONG query);
void FreeQuery(IHostServer& server, LONG query);
// Frees the query while an error is on its way out; a second failure must not replace it.
void FreeQueryQuietly(IHostServer& server, LONG query) noexcept;

// A host query handle owned by a scope: made by CreateQuery at construction. Free() frees it
// on the normal path and raises when the host refuses; a handle still held when the scope
// ends (an error on its way out) is freed quietly, so the error that is leaving is the one
// reported.
class TQueryHandle {
public:
    explicit TQueryHandle(IHostServer& server);
    ~TQueryHandle();
    TQueryHandle(const TQueryHandle&) = delete;
    TQueryHandle& operator=(const TQueryHandle&) = delete;

    LONG Get() const { return FHandle; }
    // FreeQuery; the handle counts as freed even when the host refuses.
    void Free();

private:
    IHostServer& FServer;
    LONG FHandle;
    bool FHeld = true;
};
bool ExecuteSQL(IHostServer& server, std::u16string_view statement);
