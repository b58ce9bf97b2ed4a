// The statement cache: one prepared statement per shape, a bound on the shapes kept, and
// nothing of a failed statement reused.
#include "Host/StatementCache.h"

#include "Host/HostError.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <memory>

namespace RefHost {
namespace {

class StatementCacheTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &FDatabase), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(FDatabase, "CREATE TABLE T (N INTEGER CHECK (N >= 0))", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        Cache = std::make_unique<TStatementCache>(FDatabase, 2);
    }
    void TearDown() override {
        Cache.reset();
        EXPECT_EQ(sqlite3_close(FDatabase), SQLITE_OK); // every statement finalised
    }

    int Run(const std::u16string& sql, std::int64_t value) {
        const TSqlStatement statement{TSqlStatementKind::Update, sql, {value}};
        TPreparedStatement prepared(*Cache, statement);
        return prepared.Step();
    }

    sqlite3* FDatabase = nullptr;
    std::unique_ptr<TStatementCache> Cache;
};

const std::u16string Insert = u"INSERT INTO T (N) VALUES (?)";

TEST_F(StatementCacheTest, PreparesEachShapeOnceAndOneStatementPerConcurrentUse) {
    for (std::int64_t n = 0; n < 100; ++n)
        EXPECT_EQ(Run(Insert, n), SQLITE_DONE);
    EXPECT_EQ(Cache->Prepared(), 1u);
    {
        const TSqlStatement statement{TSqlStatementKind::Update, Insert, {std::int64_t{1}}};
        TPreparedStatement first(*Cache, statement);
        TPreparedStatement second(*Cache, statement);
        EXPECT_NE(first.Get(), second.Get());
    }
    EXPECT_EQ(Cache->Prepared(), 2u);
    EXPECT_EQ(Cache->Held(), 2u);
}

TEST_F(StatementCacheTest, KeepsTheShapesUsedMostRecently) {
    const std::u16string a = Insert, b = Insert + u" ", c = Insert + u"  ";
    for (const auto* sql : {&a, &b, &a, &c}) // b is the least recently used when c comes
        Run(*sql, 1);
    EXPECT_EQ(Cache->Prepared(), 3u);
    EXPECT_EQ(Cache->Held(), 2u);
    Run(a, 1);
    Run(c, 1);
    EXPECT_EQ(Cache->Prepared(), 3u);
    Run(b, 1);
    EXPECT_EQ(Cache->Prepared(), 4u);
}

TEST_F(StatementCacheTest, FinalisesAStatementWhoseStepFailed) {
    EXPECT_EQ(Run(Insert, 1), SQLITE_DONE);
    EXPECT_EQ((Run(Insert, -1) & 0xFF), SQLITE_CONSTRAINT);
    EXPECT_EQ(Cache->Held(), 0u);
    EXPECT_EQ(Run(Insert, 2), SQLITE_DONE);
    EXPECT_EQ(Cache->Prepared(), 2u);
}

TEST_F(StatementCacheTest, RefusesAStatementWithoutAValueForEachPlaceholder) {
    // A statement short of values would otherwise run with NULL in their place.
    EXPECT_EQ(Run(Insert, 1), SQLITE_DONE);
    for (const std::vector<TSqlValue>& values :
         {std::vector<TSqlValue>{}, std::vector<TSqlValue>{std::int64_t{1}, std::int64_t{2}}}) {
        const TSqlStatement statement{TSqlStatementKind::Update, Insert, values};
        EXPECT_THROW(TPreparedStatement(*Cache, statement), EHostError);
    }
    EXPECT_EQ(Run(Insert, 2), SQLITE_DONE);
}

} // namespace
} // namespace RefHost
