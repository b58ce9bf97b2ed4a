#include "Host/StatementCache.h"

#include "Host/HostError.h"

#include "Platform/Locale.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace RefHost {

namespace {

// Binds `text` in the database's encoding, UTF-8: an ASCII text (nearly every value of a log)
// is narrowed here, which spares the engine its own conversion.
int BindText(sqlite3_stmt* statement, int index, std::u16string_view text) {
    std::array<char, 64> narrow{};
    if (text.size() > narrow.size() ||
        !std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; }))
        return sqlite3_bind_text16(statement, index, text.data(),
                                   static_cast<int>(text.size() * sizeof(char16_t)),
                                   SQLITE_TRANSIENT);
    std::copy(text.begin(), text.end(), narrow.begin());
    return sqlite3_bind_text(statement, index, narrow.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
}

// Equality of two texts by their bytes (a character-by-character compare is much slower).
bool SameText(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

} // namespace

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

TStatementCache::TEntry* TStatementCache::Find(const std::u16string& sql) {
    // A verification alternates between a few shapes: comparing the texts of the shapes used
    // last is cheaper than hashing a long text.
    constexpr int Recent = 4;
    int looked = 0;
    for (auto use = FUse.begin(); use != FUse.end() && looked < Recent; ++use, ++looked) {
        if (SameText((*use)->first, sql)) {
            FUse.splice(FUse.begin(), FUse, use);
            return *use;
        }
    }
    auto found = FShapes.find(sql);
    if (found == FShapes.end())
        return nullptr;
    FUse.splice(FUse.begin(), FUse, found->second.Use);
    return &*found;
}

sqlite3_stmt* TStatementCache::Acquire(const std::u16string& sql) {
    if (TEntry* entry = Find(sql); entry && !entry->second.Free.empty()) {
        sqlite3_stmt* statement = entry->second.Free.back();
        entry->second.Free.pop_back();
        return statement;
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
    TEntry* entry = Find(sql);
    if (entry == nullptr) {
        if (FShapes.size() >= FCapacity) {
            TEntry* oldest = FUse.back();
            Finalise(oldest->second);
            FUse.pop_back();
            FShapes.erase(oldest->first);
        }
        entry = &*FShapes.emplace(sql, TShape{}).first;
        FUse.push_front(entry);
        entry->second.Use = FUse.begin();
    }
    entry->second.Free.push_back(statement);
}

void TStatementCache::Finalise(TShape& shape) {
    for (sqlite3_stmt* statement : shape.Free)
        sqlite3_finalize(statement);
    shape.Free.clear();
}

TPreparedStatement::TPreparedStatement(TStatementCache& cache, const TSqlStatement& statement)
    : FCache(cache), FSql(statement.Sql), FStatement(cache.Acquire(statement.Sql)) {
    if (static_cast<std::size_t>(sqlite3_bind_parameter_count(FStatement)) !=
        statement.Parameters.size()) {
        const int expected = sqlite3_bind_parameter_count(FStatement);
        sqlite3_finalize(FStatement);
        ThrowDatabaseError("The statement \"" + Platform::Utf16ToUtf8(statement.Sql) + "\" takes " +
                           std::to_string(expected) + " values, not " +
                           std::to_string(statement.Parameters.size()));
    }
    int index = 1;
    for (const auto& value : statement.Parameters) {
        int rc = SQLITE_OK;
        if (auto* integer = std::get_if<std::int64_t>(&value))
            rc = sqlite3_bind_int64(FStatement, index, *integer);
        else if (auto* real = std::get_if<double>(&value))
            rc = sqlite3_bind_double(FStatement, index, *real);
        else if (auto* text = std::get_if<std::u16string>(&value))
            rc = BindText(FStatement, index, *text);
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
