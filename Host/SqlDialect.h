// SqlDialect: translation of the host's SQL dialect into SQLite statements.
//
// The dialect the plug-ins write:
//   - text literals in single quotes, an inner quote doubled ('O''Brien');
//   - date-time literals between # signs: #yyyy-mm-dd#, #yyyy-mm-dd hh:mm# (and, as a host
//     extension, #yyyy-mm-dd hh:mm:ss#); the date must exist;
//   - TRUE and FALSE, integer and decimal numbers, NULL as an assigned value;
//   - SELECT <items> FROM <table> [WHERE <condition>] [ORDER BY <column> [ASC|DESC], ...]
//     where an item is *, a column, COUNT(*), COUNT/MIN/MAX(<column>), each with an optional
//     AS alias;
//   - UPDATE <table> SET <column>=<literal>, ... [WHERE <condition>];
//   - a condition is comparisons (=, <, <=, >, >=, <>) joined by AND, a column or a literal on
//     either side.
//
// The translation is a real tokenizer and parser: literals never leak into the SQL text but
// become bound parameters. Date literals become the logbook's stored text form (midnight when
// no time is given, :00 seconds when none are given), so they compare exactly with stored
// values; TRUE and FALSE become 1 and 0; text literals keep their characters exactly, # signs
// included. Because literals are parameters, statements that differ only in their values share
// one SQL text, which lets the logbook reuse prepared statements.
//
// Anything outside the dialect (other statements, OR, sub-queries, semicolons, comments,
// malformed literals, dates that do not exist) throws EHostError of class "EDatabaseError" with
// a message naming the problem and its position. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace RefHost {

// A bound value: NULL, integer, real or text.
using TSqlValue = std::variant<std::monostate, std::int64_t, double, std::u16string>;

enum class TSqlStatementKind { Select, Update };

struct TSqlStatement {
    TSqlStatementKind Kind = TSqlStatementKind::Select;
    // SQLite text; each literal of the source is a "?" placeholder.
    std::u16string Sql;
    // The literals' values, in placeholder order.
    std::vector<TSqlValue> Parameters;
};

// Translates one SELECT or UPDATE statement of the dialect.
TSqlStatement TranslateStatement(std::u16string_view statement);

// The existence test "SELECT 1 FROM <table> WHERE <condition> LIMIT 1"; the table must be a
// plain name and the condition a dialect condition (without WHERE).
TSqlStatement TranslateExistsTest(std::u16string_view table, std::u16string_view condition);

} // namespace RefHost
