// HostServer: IHostServer, the host's SQL service over the logbook.
//
// Statements arrive in the host's dialect (SqlDialect.h) as system strings and run on the
// logbook (Logbook.h). A query handle from CreateQuery serves any number of open-read-close
// cycles until FreeQuery, which also ends a query still open. OpenQuery runs the SELECT and
// keeps its first row as the current one (a query without rows has no current row); opening an
// open query replaces it. Field reads look the column up by name, case-insensitively, and set
// the presence flag to 0 for NULL or when there is no current row. GetDateTimeField parses the
// stored "YYYY-MM-DD HH:MM:SS" text. ExecuteSQL runs an UPDATE, also while a query is open;
// its flag is 0 only when a constraint refused that one statement, which is reported to the
// host's events. RecordExists runs "SELECT 1 FROM <table> WHERE <condition> LIMIT 1".
//
// A query handle is one unit of work. ExecuteSQL and RecordExists belong to the newest handle
// not yet freed. The first UPDATE of a handle opens the logbook's write transaction (waiting
// for another program's lock at most the busy timeout); FreeQuery of that handle commits it.
// When any operation of the service fails, the open write transaction is rolled back at once,
// and the unit of the handle the operation concerns and the unit that owned the transaction
// are marked failed: a failed unit refuses further updates and commits nothing. An UPDATE
// while no handle is alive is a unit of its own.
//
// A flag that is true is returned as -1 (every bit set): callers must test for non-zero.
// Failures (a statement outside the dialect, an unknown handle or column, a value that does
// not convert, a logbook that cannot be written: locked, read-only, full or broken) return the
// class-name code of "EDatabaseError" with a readable description, the database's own words
// included, as error information. Host thread only.
#pragma once

#include "Host/HostCall.h"
#include "Host/HostObject.h"
#include "Host/Logbook.h"

#include "PluginAPI/HostInterfaces.h"

#include <map>
#include <utility>

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
        // An operation on this unit failed: its changes were rolled back.
        bool Failed = false;
    };

    // Runs one operation through the boundary wrapper; a failure ends the unit of `handle`
    // (0: of the newest handle).
    template <class TBody> HRESULT Run(const char* operation, LONG handle, TBody&& body) {
        const HRESULT status = FCalls.Run(operation, std::forward<TBody>(body));
        if (status < 0)
            FailUnit(handle);
        return status;
    }
    // Rolls back the open unit and marks the units of `handle` (0: the newest) and of the
    // transaction's owner as failed.
    void FailUnit(LONG handle) noexcept;
    // The handle that handle-less operations belong to: the newest alive, or 0.
    LONG NewestHandle() const;
    // Opens the write transaction for the newest handle's unit unless it is open already.
    void JoinUnit();

    TQuery& Query(LONG handle);
    // The current row's value of `column`; null when the value is absent.
    const TSqlValue* Field(LONG handle, BSTR column);

    TLogbook& FLogbook;
    THostCalls& FCalls;
    std::map<LONG, TQuery> FQueries;
    TSqlTranslator FTranslator;
    LONG FNextHandle = 1;
    // The handle whose unit holds the logbook's open write transaction, or 0.
    LONG FUnitOwner = 0;
};

} // namespace RefHost
