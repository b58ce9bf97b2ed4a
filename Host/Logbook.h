// Logbook: the host's logbook database, an SQLite file with the table LOGS.
//
// Opening creates the file and the table when they are missing (WAL journal). LOGS holds an
// integer key ID and the columns LOGNAME (the owning log's key), QSODATE, OMCALL, QSOBAND,
// QSOMODE, IOTA, GRIDSQUARE, LOTWSENT, LOTWRCVD, LOTWRCVDDATE and ADIFFIELDS (the QSO's other
// ADIF fields as ADIF text; added to a file made before it had the column). Dates are stored as
// "YYYY-MM-DD HH:MM:SS" text and Booleans as 0/1. Two indexes serve the plug-ins' statements:
// (LOGNAME, OMCALL, QSOBAND, QSOMODE, QSODATE) for the record match and (LOGNAME, QSODATE) for
// date windows and first/last QSO.
//
// Statements come translated (SqlDialect.h); their prepared statements are kept and reused by
// SQL text (StatementCache.h). An update runs in the write transaction that Begin() opened, or on
// its own when none is open. Commit() makes the transaction's changes visible to other programs at
// once; Rollback(), closing the logbook and a crash of the process all drop them, so the file
// always holds either everything of a transaction or nothing of it. Reads on this connection
// see the open transaction. Failures throw EHostError of class "EDatabaseError" with SQLite's
// own description; only an update refused by a constraint, which touches nothing beyond that
// statement, is reported as not executed. A locked file is waited for up to BusyTimeout. The
// path may be a "file:" URI ("file:log.sqlite?mode=ro" opens it read-only). One thread at a
// time.
#pragma once

#include "Host/LogDateTime.h"
#include "Host/SqlDialect.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace RefHost {

class TStatementCache;

// The rows of a query, every value as SQLite returned it.
struct TResultSet {
    std::vector<std::u16string> Columns;
    std::vector<std::vector<TSqlValue>> Rows;
};

// One QSO as the importer adds it and the exporter writes it.
struct TQsoRecord {
    std::u16string LogName;
    TLogDateTime QsoDate;
    std::u16string Call;
    std::u16string Band;
    std::u16string Mode;
    std::u16string Iota;
    std::u16string GridSquare;
    bool LotwSent = false;
    bool LotwRcvd = false;
    std::optional<TLogDateTime> LotwRcvdDate;
    // The QSO's other fields as ADIF text ("<FREQ:6>14.074<RST_SENT:2>59").
    std::u16string OtherFields;

    friend bool operator==(const TQsoRecord&, const TQsoRecord&) = default;
};

enum class TExecuteResult { Executed, Refused };

// How long a statement waits for another program's lock on the file before it fails.
inline constexpr std::chrono::milliseconds BusyTimeout{5000};

class TLogbook {
public:
    // Opens (creating when missing) the logbook file at `path` (UTF-8).
    explicit TLogbook(const std::string& path);
    ~TLogbook();
    TLogbook(const TLogbook&) = delete;
    TLogbook& operator=(const TLogbook&) = delete;

    // Runs a SELECT and returns at most `maxRows` rows (all when 0).
    TResultSet Query(const TSqlStatement& statement, std::size_t maxRows = 0);
    // Runs a SELECT and tells whether it gives a row.
    bool Exists(const TSqlStatement& statement);
    // Runs an UPDATE. `refusal` receives SQLite's reason when a constraint refused it.
    TExecuteResult Execute(const TSqlStatement& statement, std::string* refusal = nullptr);
    // Adds the QSOs in one transaction, skipping those already present (same log, date, call,
    // band and mode); returns how many were added. On failure nothing is added. Needs no
    // transaction to be open.
    std::size_t AddQsos(const std::vector<TQsoRecord>& qsos);
    // Calls `take` with each QSO of the log `logName`, in time order; returns how many.
    std::size_t ForEachQso(const std::u16string& logName,
                           const std::function<void(const TQsoRecord&)>& take);

    // Opens the write transaction and takes the file's write lock, waiting for it at most
    // BusyTimeout. Throws when the lock is not had or a transaction is already open.
    void Begin();
    // Commits the open write transaction, if any.
    void Commit();
    // Drops the open write transaction's changes, if any.
    void Rollback() noexcept;
    bool InTransaction() const;

    const std::string& Path() const { return FPath; }

private:
    void Run(const char* sql);
    void AddMissingColumns();

    std::string FPath;
    sqlite3* FDatabase = nullptr;
    std::unique_ptr<TStatementCache> FCache;
};

} // namespace RefHost
