// Logbook: the host's logbook database, an SQLite file with the table LOGS.
//
// Opening creates the file and the table when they are missing (WAL journal). LOGS holds an
// integer key ID and the columns LOGNAME (the owning log's key), QSODATE, OMCALL, QSOBAND,
// QSOMODE, IOTA, GRIDSQUARE, LOTWSENT, LOTWRCVD and LOTWRCVDDATE. Dates are stored as
// "YYYY-MM-DD HH:MM:SS" text and Booleans as 0/1. Two indexes serve the plug-ins' statements:
// (LOGNAME, OMCALL, QSOBAND, QSOMODE, QSODATE) for the record match and (LOGNAME, QSODATE) for
// date windows and first/last QSO.
//
// Statements come translated (SqlDialect.h); prepared statements are kept and reused by SQL
// text. Updates are grouped into transactions: Execute leaves its write transaction open, and
// it is committed by Commit(), by an Execute that finds it older than 500 ms or holding 5000
// statements, before AddQsos and when the logbook closes. Reads on this connection see the
// open transaction; other programs see the changes at the commit. A crash can thus lose the
// last fraction of a second of updates, but never leaves the file inconsistent. Failures throw
// EHostError of class "EDatabaseError", except that Execute reports an update the database refuses
// at run time (a constraint, a busy or read-only file) as not executed. One thread at a time.
#pragma once

#include "Host/LogDateTime.h"
#include "Host/SqlDialect.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace RefHost {

// The rows of a query, every value as SQLite returned it.
struct TResultSet {
    std::vector<std::u16string> Columns;
    std::vector<std::vector<TSqlValue>> Rows;
};

// One QSO as the importer adds it.
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
};

enum class TExecuteResult { Executed, Refused };

class TLogbook {
public:
    // Opens (creating when missing) the logbook file at `path` (UTF-8).
    explicit TLogbook(const std::string& path);
    ~TLogbook();
    TLogbook(const TLogbook&) = delete;
    TLogbook& operator=(const TLogbook&) = delete;

    // Runs a SELECT and returns at most `maxRows` rows (all when 0).
    TResultSet Query(const TSqlStatement& statement, std::size_t maxRows = 0);
    // Runs an UPDATE. `refusal` receives SQLite's reason when the result is Refused.
    TExecuteResult Execute(const TSqlStatement& statement, std::string* refusal = nullptr);
    // Adds the QSOs in one transaction, skipping those already present (same log, date, call,
    // band and mode); returns how many were added. On failure nothing is added.
    std::size_t AddQsos(const std::vector<TQsoRecord>& qsos);

    // Commits the open write transaction, if any.
    void Commit();

    const std::string& Path() const { return FPath; }

private:
    class TStatementCache;
    class TLease;

    void Run(const char* sql);

    std::string FPath;
    sqlite3* FDatabase = nullptr;
    std::unique_ptr<TStatementCache> FCache;
    // The open write transaction: when it began and how many statements it holds.
    std::chrono::steady_clock::time_point FTransactionStart;
    int FTransactionStatements = 0;
};

} // namespace RefHost
