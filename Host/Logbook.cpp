#include "Host/Logbook.h"

#include "Host/HostError.h"
#include "Platform/Locale.h"

#include <sqlite3.h>

#include <unordered_map>

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
    LOTWRCVDDATE TEXT
);
CREATE INDEX IF NOT EXISTS LOGS_MATCH ON LOGS (LOGNAME, OMCALL, QSOBAND, QSOMODE, QSODATE);
CREATE INDEX IF NOT EXISTS LOGS_DATE ON LOGS (LOGNAME, QSODATE);
)sql";

// The most prepared statements kept for reuse; beyond it the cache starts afresh.
constexpr std::size_t CacheLimit = 64;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    ThrowDatabaseError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

TSqlValue ColumnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return static_cast<std::int64_t>(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_NULL:
        return std::monostate{};
    default: {
        auto text = static_cast<const char16_t*>(sqlite3_column_text16(stmt, column));
        auto bytes = static_cast<std::size_t>(sqlite3_column_bytes16(stmt, column));
        return text ? std::u16string(text, bytes / 2) : std::u16string();
    }
    }
}

} // namespace

// Prepared statements by SQL text, each handed out to one user at a time.
class TLogbook::TStatementCache {
public:
    explicit TStatementCache(sqlite3* db) : FDatabase(db) {}
    ~TStatementCache() { Clear(); }

    sqlite3_stmt* Acquire(const std::u16string& sql) {
        auto found = FFree.find(sql);
        if (found != FFree.end() && !found->second.empty()) {
            auto* stmt = found->second.back();
            found->second.pop_back();
            return stmt;
        }
        sqlite3_stmt* stmt = nullptr;
        const int bytes = static_cast<int>(sql.size() * sizeof(char16_t));
        if (sqlite3_prepare16_v2(FDatabase, sql.data(), bytes, &stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            Fail(FDatabase, "Cannot prepare \"" + Platform::Utf16ToUtf8(sql) + "\"");
        }
        return stmt;
    }

    void Return(const std::u16string& sql, sqlite3_stmt* stmt) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        if (FFree.size() >= CacheLimit && !FFree.contains(sql))
            Clear();
        FFree[sql].push_back(stmt);
    }

private:
    void Clear() {
        for (auto& [sql, stmts] : FFree)
            for (auto* stmt : stmts)
                sqlite3_finalize(stmt);
        FFree.clear();
    }

    sqlite3* FDatabase;
    std::unordered_map<std::u16string, std::vector<sqlite3_stmt*>> FFree;
};

// A prepared statement with its parameters bound, returned to the cache at scope end.
class TLogbook::TLease {
public:
    TLease(TStatementCache& cache, const TSqlStatement& statement, sqlite3* db)
        : FCache(cache), FSql(statement.Sql), FStmt(cache.Acquire(statement.Sql)) {
        int index = 1;
        for (const auto& value : statement.Parameters) {
            int rc = SQLITE_OK;
            if (auto* integer = std::get_if<std::int64_t>(&value))
                rc = sqlite3_bind_int64(FStmt, index, *integer);
            else if (auto* real = std::get_if<double>(&value))
                rc = sqlite3_bind_double(FStmt, index, *real);
            else if (auto* text = std::get_if<std::u16string>(&value))
                rc = sqlite3_bind_text16(FStmt, index, text->data(),
                                         static_cast<int>(text->size() * sizeof(char16_t)),
                                         SQLITE_TRANSIENT);
            else
                rc = sqlite3_bind_null(FStmt, index);
            if (rc != SQLITE_OK) {
                FCache.Return(FSql, FStmt);
                Fail(db, "Cannot bind parameter " + std::to_string(index));
            }
            ++index;
        }
    }
    ~TLease() { FCache.Return(FSql, FStmt); }
    TLease(const TLease&) = delete;
    TLease& operator=(const TLease&) = delete;

    sqlite3_stmt* Get() const { return FStmt; }

private:
    TStatementCache& FCache;
    const std::u16string& FSql;
    sqlite3_stmt* FStmt;
};

TLogbook::TLogbook(const std::string& path) : FPath(path) {
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_URI;
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
        Run("PRAGMA mmap_size=268435456");
        Run(Schema);
    } catch (...) {
        sqlite3_close(FDatabase);
        throw;
    }
    FCache = std::make_unique<TStatementCache>(FDatabase);
}

TLogbook::~TLogbook() {
    Rollback();
    FCache.reset();
    sqlite3_close(FDatabase);
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
    if (statement.Kind != TSqlStatementKind::Select)
        ThrowDatabaseError("A query needs a SELECT statement");
    TLease lease(*FCache, statement, FDatabase);
    auto* stmt = lease.Get();
    TResultSet result;
    const int columns = sqlite3_column_count(stmt);
    for (int i = 0; i < columns; ++i) {
        auto* name = static_cast<const char16_t*>(sqlite3_column_name16(stmt, i));
        result.Columns.emplace_back(name ? name : u"");
    }
    for (;;) {
        if (maxRows != 0 && result.Rows.size() == maxRows)
            break;
        const int rc = sqlite3_step(stmt);
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
    TLease lease(*FCache, statement, FDatabase);
    const int rc = sqlite3_step(lease.Get());
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
        u"LOTWSENT, LOTWRCVD, LOTWRCVDDATE) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    Begin();
    std::size_t added = 0;
    try {
        for (const auto& qso : qsos) {
            const std::u16string date = Platform::Utf8ToUtf16(qso.QsoDate.StoredText());
            TSqlStatement probe = exists;
            probe.Parameters = {qso.LogName, qso.Call, qso.Band, qso.Mode, date};
            if (!Query(probe, 1).Rows.empty())
                continue;
            TSqlStatement add{
                TSqlStatementKind::Update,
                insert,
                {qso.LogName, date, qso.Call, qso.Band, qso.Mode, qso.Iota, qso.GridSquare,
                 std::int64_t{qso.LotwSent}, std::int64_t{qso.LotwRcvd},
                 qso.LotwRcvdDate ? TSqlValue(Platform::Utf8ToUtf16(qso.LotwRcvdDate->StoredText()))
                                  : TSqlValue()}};
            TLease lease(*FCache, add, FDatabase);
            if (sqlite3_step(lease.Get()) != SQLITE_DONE)
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

} // namespace RefHost
