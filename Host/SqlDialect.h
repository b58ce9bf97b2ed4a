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

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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

// The translations above with a memory of statement shapes. The plug-ins send a few statements
// again and again with other values: one quick pass over a statement finds its literals (texts
// in quotes, dates between # signs, numbers) and takes the rest of its text, character for
// character, as the key of its shape. A shape seen before is not parsed again: only its literals
// are decoded, and the SQL text and the constant words (TRUE, FALSE, NULL) are those of its
// first translation. Results and errors are exactly those of TranslateStatement and
// TranslateExistsTest. Keeps at most `capacity` shapes and forgets them all when one more would
// exceed that. One thread at a time.
class TSqlTranslator {
public:
    explicit TSqlTranslator(std::size_t capacity = 64) : FCapacity(capacity) {}

    TSqlStatement Statement(std::u16string_view statement);
    TSqlStatement ExistsTest(std::u16string_view table, std::u16string_view condition);

    // The shapes remembered.
    std::size_t Shapes() const { return FShapes.size(); }

private:
    struct TShape {
        TSqlStatementKind Kind;
        std::u16string Sql;
        // The values of the first translation; those of literals are taken anew each time.
        std::vector<TSqlValue> Parameters;
        // For each parameter the index of its literal in the statement, or -1 for a constant.
        std::vector<int> Literal;
    };

    template <class TTranslate>
    TSqlStatement Translate(std::u16string_view source, TTranslate&& translate);
    TSqlStatement Bind(const TShape& shape, std::u16string_view source) const;
    void Remember(const TSqlStatement& statement);

    std::size_t FCapacity;
    std::unordered_map<std::u16string, TShape> FShapes;
    // Reused between calls: the statement's shape key, the offsets of its literals, and the
    // offsets of the literals the translation bound, in parameter order.
    std::u16string FKey;
    std::vector<std::size_t> FLiterals;
    std::vector<std::size_t> FBound;
};

} // namespace RefHost
