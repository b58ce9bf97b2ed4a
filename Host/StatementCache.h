// StatementCache: the logbook's prepared SQLite statements, kept for reuse by their SQL text.
//
// The SQL service binds every literal of a statement as a parameter, so statements that differ
// only in their values share one text, and a verification's hundreds of thousands of statements
// come in a handful of shapes. A lease (TPreparedStatement) takes a free prepared statement of
// its text from the cache, or prepares one, binds the parameters (a statement must give a value
// for every placeholder) and hands the statement back at its end, reset and unbound, for the
// next statement of that shape. A statement whose step failed is finalised instead, so that
// nothing of a failure is ever reused. The cache keeps the statements of at most `capacity`
// texts: a text beyond them pushes out the statements of the text used least recently. Closing the
// cache (its destructor) finalises every statement it holds; every lease must have ended before.
// Failures to prepare or bind throw EHostError of class "EDatabaseError". One thread at a time.
#pragma once

#include "Host/SqlDialect.h"

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace RefHost {

class TStatementCache {
public:
    TStatementCache(sqlite3* database, std::size_t capacity);
    ~TStatementCache();
    TStatementCache(const TStatementCache&) = delete;
    TStatementCache& operator=(const TStatementCache&) = delete;

    // How often a statement has been prepared (rather than reused) so far.
    std::size_t Prepared() const { return FPrepared; }
    // The prepared statements waiting for reuse.
    std::size_t Held() const;

private:
    friend class TPreparedStatement;

    struct TShape;
    using TEntry = std::pair<const std::u16string, TShape>;
    struct TShape {
        std::vector<sqlite3_stmt*> Free;
        std::list<TEntry*>::iterator Use; // its place in FUse
    };

    // The shape of `sql` made the most recently used one; null when the cache has none.
    TEntry* Find(const std::u16string& sql);
    sqlite3_stmt* Acquire(const std::u16string& sql);
    void Return(const std::u16string& sql, sqlite3_stmt* statement);
    void Finalise(TShape& shape);

    sqlite3* FDatabase;
    std::size_t FCapacity;
    std::unordered_map<std::u16string, TShape> FShapes;
    std::list<TEntry*> FUse; // the shapes, most recently used first
    std::size_t FPrepared = 0;
};

// One use of a prepared statement of `statement`'s text with its parameters bound; `statement`
// must outlive it.
class TPreparedStatement {
public:
    TPreparedStatement(TStatementCache& cache, const TSqlStatement& statement);
    TPreparedStatement(TStatementCache& cache, const TSqlStatement&& statement) = delete;
    ~TPreparedStatement();
    TPreparedStatement(const TPreparedStatement&) = delete;
    TPreparedStatement& operator=(const TPreparedStatement&) = delete;

    // sqlite3_step; a result other than a row or the end marks the statement as failed.
    int Step();
    sqlite3_stmt* Get() const { return FStatement; }

private:
    TStatementCache& FCache;
    const std::u16string& FSql;
    sqlite3_stmt* FStatement;
    bool FFailed = false;
};

} // namespace RefHost
