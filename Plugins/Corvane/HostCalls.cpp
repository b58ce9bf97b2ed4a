#include "Plugins/Corvane/HostCalls.h"

#include "Platform/SysString.h"
#include "PluginAPI/Plugins/Helpers.h"

std::u16string GetHostValue(IHostKernel& kernel, std::u16string_view name) {
    TSysString value;
    CheckHostStatus(kernel.GetValue(TSysString(name).Get(), value.Out()));
    return value.Text();
}

void WriteHostLog(IHostKernel& kernel, std::u16string_view line) {
    CheckHostStatus(kernel.WriteLog(TSysString(line).Get()));
}

void ShowHostMessage(IHostKernel& kernel, std::u16string_view text, std::u16string_view caption) {
    CheckHostStatus(kernel.ShowMessage(TSysString(text).Get(), TSysString(caption).Get()));
}

void ExecuteHostCommand(IHostKernel& kernel, std::u16string_view command,
                        std::u16string_view parameter) {
    CheckHostStatus(kernel.ExecuteCommand(TSysString(command).Get(), TSysString(parameter).Get()));
}

bool RecordExists(IHostServer& server, const TSysString& table, std::u16string_view condition) {
    LONG exists = 0;
    CheckHostStatus(server.RecordExists(table.Get(), TSysString(condition).Get(), &exists));
    return exists != 0;
}

LONG CreateQuery(IHostServer& server) {
    LONG query = 0;
    CheckHostStatus(server.CreateQuery(&query));
    return query;
}

void OpenQuery(IHostServer& server, LONG query, std::u16string_view sql) {
    CheckHostStatus(server.OpenQuery(query, TSysString(sql).Get()));
}

std::optional<LONG> GetIntegerField(IHostServer& server, LONG query, std::u16string_view column) {
    LONG value = 0;
    LONG present = 0;
    CheckHostStatus(server.GetIntegerField(query, TSysString(column).Get(), &value, &present));
    return present != 0 ? std::optional<LONG>(value) : std::nullopt;
}

std::optional<bool> GetBooleanField(IHostServer& server, LONG query, const TSysString& column) {
    LONG value = 0;
    LONG present = 0;
    CheckHostStatus(server.GetBooleanField(query, column.Get(), &value, &present));
    return present != 0 ? std::optional<bool>(value != 0) : std::nullopt;
}

std::optional<THostDateTime> GetDateTimeField(IHostServer& server, LONG query,
                                              std::u16string_view column) {
    THostDateTime value;
    LONG present = 0;
    CheckHostStatus(server.GetDateTimeField(query, TSysString(column).Get(), &value.Year,
                                            &value.Month, &value.Day, &value.Hour, &value.Minute,
                                            &value.Second, &present));
    return present != 0 ? std::optional<THostDateTime>(value) : std::nullopt;
}

void CloseQuery(IHostServer& server, LONG query) {
    CheckHostStatus(server.CloseQuery(query));
}

void FreeQuery(IHostServer& server, LONG query) {
    CheckHostStatus(server.FreeQuery(query));
}

TQueryHandle::TQueryHandle(IHostServer& server) : FServer(server), FHandle(CreateQuery(server)) {}

TQueryHandle::~TQueryHandle() {
    if (FHeld)
        FreeQueryQuietly(FServer, FHandle);
}

void TQueryHandle::Free() {
    FHeld = false;
    FreeQuery(FServer, FHandle);
}

void FreeQueryQuietly(IHostServer& server, LONG query) noexcept {
    try {
        (void)server.FreeQuery(query);
    } catch (...) {
    }
}

bool ExecuteSQL(IHostServer& server, std::u16string_view statement) {
    LONG executed = 0;
    CheckHostStatus(server.ExecuteSQL(TSysString(statement).Get(), &executed));
    return executed != 0;
}
