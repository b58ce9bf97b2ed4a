#include "Host/StatementCache.h"

#include "Host/HostError.h"

#include "Platform/Locale.h"

#include <sqlite3.h>

namespace RefHost {

TStatementCache::TStatementCache(sqlite3* database, std::size_t capacity)
    : FDatabase(database), FCapacity(capacity) {}

TStatementCache::~TStatementCache() {
    for (auto& [sql, shape] : FShapes)
        Finalise(shape);
}

std::size_t TStatementCache::Held() const {
    std::size_t held = 0;
    for (const auto& [sql, shape] : FShapes)
        held += shape.Free.size();
    return held;
}

sqlite3_stmt* TStatementCache::Acquire(const std::u16string& sql) {
    if (auto found = FShapes.find(sql); found != FShapes.end()) {
        TShape& shape = found->second;
        FUse.splice(FUse.begin(), FUse, shape.Use);
        if (!shape.Free.empty()) {
            sqlite3_stmt* statement = shape.Free.back();
            shape.Free.pop_back();
            return statement;
        }
    }
    sqlite3_stmt* statement = nullptr;
    const int bytes = static_cast<int>(sql.size() * sizeof(char16_t));
    if (sqlite3_prepare16_v3(FDatabase, sql.data(), bytes, SQLITE_PREPARE_PERSISTENT, &statement,
                             nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        ThrowDatabaseError("Cannot prepare \"" + Platform::Utf16ToUtf8(sql) +
                           "\": " + sqlite3_errmsg(FDatabase));
    }
    ++FPrepared;
    return statement;
}

void TStatementCache::Return(const std::u16string& sql, sqlite3_stmt* statement) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    auto found = FShapes.find(sql);
    if (found == FShapes.end()) {
        if (FShapes.size() >= FCapacity) {
            auto oldest = FShapes.find(*FUse.back());
            Finalise(oldest->second);
            FUse.pop_back();
            FShapes.erase(oldest);
        }
        found = FShapes.emplace(sql, TShape{}).first;
        FUse.push_front(&found->first);
        found->second.Use = FUse.begin();
    }
    found->second.Free.push_back(statement);
}

void TStatementCache::Finalise(TShape& shape) {
    for (sqlite3_stmt* statement : shape.Free)
        sqlite3_finalize(statement);
    shape.Free.clear();
}

TPreparedStatement::TPreparedStatement(TStatementCache& cache, const TSqlStatement& statement)
    : FCache(cache), FSql(statement.Sql), FStatement(cache.Acquire(statement.Sql)) {
    int index = 1;
    for (const auto& value : statement.Parameters) {
        int rc = SQLITE_OK;
        if (auto* integer = std::get_if<std::int64_t>(&value))
            rc = sqlite3_bind_int64(FStatement, index, *integer);
        else if (auto* real = std::get_if<double>(&value))
            rc = sqlite3_bind_double(FStatement, index, *real);
        else if (auto* text = std::get_if<std::u16string>(&value))
            rc = sqlite3_bind_text16(FStatement, index, text->data(),
                                     static_cast<int>(text->size() * sizeof(char16_t)),
                                     SQLITE_TRANSIENT);
        else
            rc = sqlite3_bind_null(FStatement, index);
        if (rc != SQLITE_OK) {
            const std::string reason = sqlite3_errmsg(cache.FDatabase);
            sqlite3_finalize(FStatement);
            ThrowDatabaseError("Cannot bind parameter " + std::to_string(index) + ": " + reason);
        }
        ++index;
    }
}

TPreparedStatement::~TPreparedStatement() {
    if (FFailed)
        sqlite3_finalize(FStatement);
    else
        FCache.Return(FSql, FStatement);
}

int TPreparedStatement::Step() {
    const int rc = sqlite3_step(FStatement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        FFailed = true;
    return rc;
}

} // namespace RefHost
