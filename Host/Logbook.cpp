#include "Host/Logbook.h"

#include "Host/HostError.h"
#include "Host/StatementCache.h"
#include "Platform/Locale.h"

#include <sqlite3.h>

namespace RefHost {

namespace {

constexpr const char* Schema = R"sql(
CREATE TABLE IF NOT EXISTS LOGS (
    ID INTEGER PRIMARY KEY,
    LOGNAME TEXT NOT NULL,
    QSODATE TEXT NOT NULL,
    OMCALL TEXT NOT NULL,
    QSOBAND TEXT NOT NULL DEFAULT '',
    QSOMODE TEXT NOT NULL DEFAULT '',
    IOTA TEXT NOT NULL DEFAULT '',
    GRIDSQUARE TEXT NOT NULL DEFAULT '',
    LOTWSENT BOOLEAN NOT NULL DEFAULT 0 CHECK (LOTWSENT IN (0, 1)),
    LOTWRCVD BOOLEAN NOT NULL DEFAULT 0 CHECK (LOTWRCVD IN (0, 1)),
    LOTWRCVDDATE TEXT,
    ADIFFIELDS TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS LOGS_MATCH ON LOGS (LOGNAME, OMCALL, QSOBAND, QSOMODE, QSODATE);
CREATE INDEX IF NOT EXISTS LOGS_DATE ON LOGS (LOGNAME, QSODATE);
)sql";

// The most statement shapes whose prepared statements are kept for reuse.
constexpr std::size_t CacheShapes = 64;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    ThrowDatabaseError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

std::u16string TextColumn(sqlite3_stmt* stmt, int column) {
    auto* text = static_cast<const char16_t*>(sqlite3_column_text16(stmt, column));
    return text ? std::u16string(text,
                                 static_cast<std::size_t>(sqlite3_column_bytes16(stmt, column)) / 2)
                : std::u16string();
}

std::optional<TLogDateTime> DateColumn(sqlite3_stmt* stmt, int column) {
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? ParseLogDateTime(text) : std::nullopt;
}

TSqlValue ColumnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return static_cast<std::int64_t>(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_NULL:
        return std::monostate{};
    default:
        return TextColumn(stmt, column);
    }
}

void RequireSelect(const TSqlStatement& statement) {
    if (statement.Kind != TSqlStatementKind::Select)
        ThrowDatabaseError("A query needs a SELECT statement");
}

} // namespace

TLogbook::TLogbook(const std::string& path) : FPath(path) {
    // The engine's memory statistics take a process-wide lock at every allocation; nothing reads
    // them. The setting holds only before the engine's first use; later it is refused unharmed.
    static const int statistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)statistics;
    // One thread at a time: the connection needs no locks of its own.
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    if (sqlite3_open_v2(path.c_str(), &FDatabase, flags, nullptr) != SQLITE_OK) {
        std::string reason = FDatabase ? sqlite3_errmsg(FDatabase) : "out of memory";
        sqlite3_close(FDatabase);
        ThrowDatabaseError("Cannot open logbook \"" + path + "\": " + reason);
    }
    try {
        sqlite3_busy_timeout(FDatabase, static_cast<int>(BusyTimeout.count()));
        sqlite3_extended_result_codes(FDatabase, 1);
        // WAL with NORMAL synchronisation: a crash of the process never corrupts the file nor
        // keeps part of a transaction, and a commit does not wait for the disk.
        Run("PRAGMA journal_mode=WAL");
        Run("PRAGMA synchronous=NORMAL");
        // An UPDATE inside the write transaction keeps the pages it changes in a statement
        // journal, so that a refused statement alone is undone. Kept in memory, it costs a copy
        // of a page per statement instead of two writes to a temporary file.
        Run("PRAGMA temp_store=MEMORY");
        Run(Schema);
        AddMissingColumns();
    } catch (...) {
        sqlite3_close(FDatabase);
        throw;
    }
    FCache = std::make_unique<TStatementCache>(FDatabase, CacheShapes);
}

TLogbook::~TLogbook() {
    Rollback();
    FCache.reset();
    sqlite3_close(FDatabase);
}

void TLogbook::AddMissingColumns() {
    sqlite3_stmt* probe = nullptr;
    if (sqlite3_prepare_v2(FDatabase,
                           "SELECT 1 FROM pragma_table_info('LOGS') WHERE name='ADIFFIELDS'", -1,
                           &probe, nullptr) != SQLITE_OK) {
        sqlite3_finalize(probe);
        Fail(FDatabase, "Cannot read the columns of LOGS");
    }
    const int rc = sqlite3_step(probe);
    sqlite3_finalize(probe);
    if (rc == SQLITE_DONE)
        Run("ALTER TABLE LOGS ADD COLUMN ADIFFIELDS TEXT NOT NULL DEFAULT ''");
    else if (rc != SQLITE_ROW)
        Fail(FDatabase, "Cannot read the columns of LOGS");
}

void TLogbook::Run(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(FDatabase, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string reason = message ? message : "unknown error";
        sqlite3_free(message);
        ThrowDatabaseError("Cannot prepare logbook \"" + FPath + "\": " + reason);
    }
}

TResultSet TLogbook::Query(const TSqlStatement& statement, std::size_t maxRows) {
    RequireSelect(statement);
    TPreparedStatement prepared(*FCache, statement);
    auto* stmt = prepared.Get();
    TResultSet result;
    const int columns = sqlite3_column_count(stmt);
    for (int i = 0; i < columns; ++i) {
        auto* name = static_cast<const char16_t*>(sqlite3_column_name16(stmt, i));
        result.Columns.emplace_back(name ? name : u"");
    }
    for (;;) {
        if (maxRows != 0 && result.Rows.size() == maxRows)
            break;
        const int rc = prepared.Step();
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            Fail(FDatabase, "Query failed");
        auto& row = result.Rows.emplace_back();
        row.reserve(static_cast<std::size_t>(columns));
        for (int i = 0; i < columns; ++i)
            row.push_back(ColumnValue(stmt, i));
    }
    return result;
}

bool TLogbook::Exists(const TSqlStatement& statement) {
    RequireSelect(statement);
    TPreparedStatement prepared(*FCache, statement);
    const int rc = prepared.Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        Fail(FDatabase, "Query failed");
    return rc == SQLITE_ROW;
}

void TLogbook::Begin() {
    if (sqlite3_exec(FDatabase, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(FDatabase, "Cannot write the logbook \"" + FPath + "\"");
}

void TLogbook::Commit() {
    if (!InTransaction())
        return;
    if (sqlite3_exec(FDatabase, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(FDatabase, "Cannot commit to the logbook \"" + FPath + "\"");
}

void TLogbook::Rollback() noexcept {
    if (InTransaction())
        sqlite3_exec(FDatabase, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool TLogbook::InTransaction() const {
    return sqlite3_get_autocommit(FDatabase) == 0;
}

TExecuteResult TLogbook::Execute(const TSqlStatement& statement, std::string* refusal) {
    if (statement.Kind != TSqlStatementKind::Update)
        ThrowDatabaseError("Only UPDATE statements can be executed");
    TPreparedStatement prepared(*FCache, statement);
    const int rc = prepared.Step();
    if (rc == SQLITE_DONE)
        return TExecuteResult::Executed;
    // A constraint refuses this one statement and leaves the rest of the transaction intact;
    // anything else (a lock, a read-only or full file, an I/O error) is the logbook's failure.
    if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
        if (refusal)
            *refusal = sqlite3_errmsg(FDatabase);
        return TExecuteResult::Refused;
    }
    Fail(FDatabase, "Cannot write the logbook \"" + FPath + "\"");
}

std::size_t TLogbook::AddQsos(const std::vector<TQsoRecord>& qsos) {
    const TSqlStatement exists{
        TSqlStatementKind::Select,
        u"SELECT 1 FROM LOGS WHERE LOGNAME=? AND OMCALL=? AND QSOBAND=? AND QSOMODE=? AND "
        u"QSODATE=? LIMIT 1",
        {}};
    const std::u16string insert =
        u"INSERT INTO LOGS (LOGNAME, QSODATE, OMCALL, QSOBAND, QSOMODE, IOTA, GRIDSQUARE, "
        u"LOTWSENT, LOTWRCVD, LOTWRCVDDATE, ADIFFIELDS) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    Begin();
    std::size_t added = 0;
    try {
        for (const auto& qso : qsos) {
            const std::u16string date = qso.QsoDate.StoredText16();
            TSqlStatement probe = exists;
            probe.Parameters = {qso.LogName, qso.Call, qso.Band, qso.Mode, date};
            if (Exists(probe))
                continue;
            TSqlStatement add{
                TSqlStatementKind::Update,
                insert,
                {qso.LogName, date, qso.Call, qso.Band, qso.Mode, qso.Iota, qso.GridSquare,
                 std::int64_t{qso.LotwSent}, std::int64_t{qso.LotwRcvd},
                 qso.LotwRcvdDate ? TSqlValue(qso.LotwRcvdDate->StoredText16()) : TSqlValue(),
                 qso.OtherFields}};
            TPreparedStatement prepared(*FCache, add);
            if (prepared.Step() != SQLITE_DONE)
                Fail(FDatabase, "Cannot add the QSO with " + Platform::Utf16ToUtf8(qso.Call));
            ++added;
        }
        Commit();
    } catch (...) {
        Rollback();
        throw;
    }
    return added;
}

std::size_t TLogbook::ForEachQso(const std::u16string& logName,
                                 const std::function<void(const TQsoRecord&)>& take) {
    const TSqlStatement select{
        TSqlStatementKind::Select,
        u"SELECT QSODATE, OMCALL, QSOBAND, QSOMODE, IOTA, GRIDSQUARE, LOTWSENT, LOTWRCVD, "
        u"LOTWRCVDDATE, ADIFFIELDS FROM LOGS WHERE LOGNAME=? ORDER BY QSODATE, ID",
        {logName}};
    TPreparedStatement prepared(*FCache, select);
    sqlite3_stmt* stmt = prepared.Get();
    std::size_t count = 0;
    TQsoRecord qso;
    qso.LogName = logName;
    for (int rc; (rc = prepared.Step()) != SQLITE_DONE; ++count) {
        if (rc != SQLITE_ROW)
            Fail(FDatabase, "Cannot read the log");
        const auto date = DateColumn(stmt, 0);
        if (!date)
            ThrowDatabaseError("The QSO with " + Platform::Utf16ToUtf8(TextColumn(stmt, 1)) +
                               " has no valid date");
        qso.QsoDate = *date;
        qso.Call = TextColumn(stmt, 1);
        qso.Band = TextColumn(stmt, 2);
        qso.Mode = TextColumn(stmt, 3);
        qso.Iota = TextColumn(stmt, 4);
        qso.GridSquare = TextColumn(stmt, 5);
        qso.LotwSent = sqlite3_column_int(stmt, 6) != 0;
        qso.LotwRcvd = sqlite3_column_int(stmt, 7) != 0;
        qso.LotwRcvdDate = DateColumn(stmt, 8);
        qso.OtherFields = TextColumn(stmt, 9);
        take(qso);
    }
    return count;
}

} // namespace RefHost
