// HostServer: IHostServer, the host's SQL service over the logbook.
//
// Statements arrive in the host's dialect (SqlDialect.h) as system strings and run on the
// logbook (Logbook.h). A query handle from CreateQuery serves any number of open-read-close
// cycles until FreeQuery, which also ends a query still open and commits the logbook's pending
// updates. OpenQuery runs the SELECT and
// keeps its first row as the current one (a query without rows has no current row); opening an
// open query replaces it. Field reads look the column up by name, case-insensitively, and set
// the presence flag to 0 for NULL or when there is no current row. GetDateTimeField parses the
// stored "YYYY-MM-DD HH:MM:SS" text. ExecuteSQL runs an UPDATE, also while a query is open; its
// flag is 0 when the database refused the change at run time (a constraint, a busy or
// read-only file), which is reported to the host's events. RecordExists runs
// "SELECT 1 FROM <table> WHERE <condition> LIMIT 1".
//
// A flag that is true is returned as -1 (every bit set): callers must test for non-zero.
// Failures (a statement outside the dialect, an unknown handle or column, a value that does
// not convert, an SQLite error) return the class-name code of "EDatabaseError" with a readable
// description as error information. Host thread only.
#pragma once

#include "Host/HostCall.h"
#include "Host/HostObject.h"
#include "Host/Logbook.h"

#include "PluginAPI/HostInterfaces.h"

#include <map>

namespace RefHost {

// The value of a true flag across the boundary.
inline constexpr LONG HostTrue = -1;

class THostServer final : public THostObject<IHostServer> {
public:
    THostServer(TLogbook& logbook, THostCalls& calls)
        : THostObject(IID_IHostServer), FLogbook(logbook), FCalls(calls) {}

    HRESULT PLUGIN_STDCALL RecordExists(BSTR table, BSTR condition, LONG* exists) override;
    HRESULT PLUGIN_STDCALL CreateQuery(LONG* handle) override;
    HRESULT PLUGIN_STDCALL OpenQuery(LONG handle, BSTR sql) override;
    HRESULT PLUGIN_STDCALL GetIntegerField(LONG handle, BSTR column, LONG* value,
                                           LONG* present) override;
    HRESULT PLUGIN_STDCALL GetBooleanField(LONG handle, BSTR column, LONG* value,
                                           LONG* present) override;
    HRESULT PLUGIN_STDCALL GetDateTimeField(LONG handle, BSTR column, std::uint16_t* year,
                                            std::uint16_t* month, std::uint16_t* day,
                                            std::uint16_t* hour, std::uint16_t* minute,
                                            std::uint16_t* second, LONG* present) override;
    HRESULT PLUGIN_STDCALL CloseQuery(LONG handle) override;
    HRESULT PLUGIN_STDCALL FreeQuery(LONG handle) override;
    HRESULT PLUGIN_STDCALL ExecuteSQL(BSTR statement, LONG* executed) override;

    // Query handles created and not yet freed.
    std::size_t OpenHandles() const { return FQueries.size(); }

    HOST_RESERVED_SLOT(3)
    HOST_RESERVED_SLOT(5)
    HOST_RESERVED_SLOT(8)
    HOST_RESERVED_SLOT(9)
    HOST_RESERVED_SLOT(10)
    HOST_RESERVED_SLOT(11)
    HOST_RESERVED_SLOT(12)
    HOST_RESERVED_SLOT(13)
    HOST_RESERVED_SLOT(14)
    HOST_RESERVED_SLOT(15)
    HOST_RESERVED_SLOT(16)
    HOST_RESERVED_SLOT(18)
    HOST_RESERVED_SLOT(21)

private:
    struct TQuery {
        bool Open = false;
        TResultSet Result;
    };

    TQuery& Query(LONG handle);
    // The current row's value of `column`; null when the value is absent.
    const TSqlValue* Field(LONG handle, BSTR column);

    TLogbook& FLogbook;
    THostCalls& FCalls;
    std::map<LONG, TQuery> FQueries;
    LONG FNextHandle = 1;
};

} // namespace RefHost
