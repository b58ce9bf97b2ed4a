#include "Host/SqlDialect.h"

#include "Host/HostError.h"
#include "Host/LogDateTime.h"
#include "Platform/Locale.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace RefHost {

namespace {

// Literals as views of known length: a view made from a bare literal measures it at run time.
using namespace std::string_view_literals;

enum class TTokenKind { Word, Literal, Symbol, End };

struct TToken {
    TTokenKind Kind = TTokenKind::End;
    std::u16string_view Text;  // the source characters (upper-cased words compare on Upper)
    std::u16string_view Upper; // words only: the source itself when it is upper case
    TSqlValue Value;           // literals only
    std::size_t Position = 0;  // 1-based character position in the source
};

constexpr std::array<std::u16string_view, 18> Keywords = {
    u"SELECT"sv, u"FROM"sv,  u"WHERE"sv, u"AND"sv, u"UPDATE"sv, u"SET"sv,
    u"AS"sv,     u"COUNT"sv, u"MIN"sv,   u"MAX"sv, u"TRUE"sv,   u"FALSE"sv,
    u"NULL"sv,   u"ORDER"sv, u"BY"sv,    u"ASC"sv, u"DESC"sv,   u"LIMIT"sv};

bool IsKeyword(std::u16string_view upper) {
    return std::find(Keywords.begin(), Keywords.end(), upper) != Keywords.end();
}

bool IsWordStart(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool IsWordChar(char16_t c) {
    return IsWordStart(c) || IsDigit(c);
}
bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::u16string Upper(std::u16string_view text) {
    std::u16string result(text);
    for (auto& c : result)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return result;
}

[[noreturn]] void Fail(std::u16string_view source, std::size_t position, const std::string& what) {
    ThrowDatabaseError("SQL outside the host's dialect: " + what + " at position " +
                       std::to_string(position) + " in \"" + Platform::Utf16ToUtf8(source) + "\"");
}

// Splits dialect text into tokens, one at a time; literals are decoded on the way.
class TTokenizer {
public:
    explicit TTokenizer(std::u16string_view source) : FSource(source) {}

    // Makes `token` the token that starts at `position` (0-based).
    void NextAt(std::size_t position, TToken& token) {
        FPos = position;
        Next(token);
    }

    // Makes `token` the next token of the source (the end once it is used up). The upper-case
    // form of a word that is not upper case lives in the tokenizer until the next call.
    void Next(TToken& token) {
        while (FPos < FSource.size() && IsBlank(FSource[FPos]))
            ++FPos;
        token.Kind = TTokenKind::End;
        token.Text = {};
        token.Upper = {};
        token.Value = std::monostate{};
        token.Position = FPos + 1;
        if (FPos == FSource.size())
            return;
        const std::size_t start = FPos;
        const char16_t c = FSource[FPos];
        if (IsWordStart(c)) {
            while (FPos < FSource.size() && IsWordChar(FSource[FPos]))
                ++FPos;
            Word(token, FSource.substr(start, FPos - start));
        } else if (IsDigit(c) ||
                   (c == u'-' && FPos + 1 < FSource.size() && IsDigit(FSource[FPos + 1]))) {
            Number(token, start);
        } else if (c == u'\'') {
            TextLiteral(token, start);
        } else if (c == u'#') {
            DateLiteral(token, start);
        } else {
            Symbol(token, start);
        }
    }

private:
    void Word(TToken& token, std::u16string_view text) {
        std::u16string_view upper = text;
        if (std::any_of(text.begin(), text.end(),
                        [](char16_t c) { return c >= u'a' && c <= u'z'; })) {
            FUpper = Upper(text);
            upper = FUpper;
        }
        token.Text = text;
        if (upper == u"TRUE"sv || upper == u"FALSE"sv) {
            token.Kind = TTokenKind::Literal;
            token.Value = std::int64_t{upper == u"TRUE"sv ? 1 : 0};
        } else if (upper == u"NULL"sv) {
            token.Kind = TTokenKind::Literal; // its value stays NULL
            token.Upper = upper;
        } else {
            token.Kind = TTokenKind::Word;
            token.Upper = upper;
        }
    }

    void Number(TToken& token, std::size_t start) {
        ++FPos; // sign or first digit
        bool fraction = false;
        while (FPos < FSource.size() && (IsDigit(FSource[FPos]) || FSource[FPos] == u'.')) {
            if (FSource[FPos] == u'.') {
                if (fraction)
                    Fail(FSource, FPos + 1, "a malformed number");
                fraction = true;
            }
            ++FPos;
        }
        if (FPos < FSource.size() && IsWordStart(FSource[FPos]))
            Fail(FSource, FPos + 1, "a malformed number");
        auto text = FSource.substr(start, FPos - start);
        const std::string ascii = Platform::Utf16ToUtf8(text);
        TSqlValue value;
        if (fraction) {
            value = std::stod(ascii);
        } else {
            std::int64_t integer = 0;
            auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), integer);
            if (error != std::errc() || end != ascii.data() + ascii.size())
                Fail(FSource, start + 1, "a number out of range");
            value = integer;
        }
        token.Kind = TTokenKind::Literal;
        token.Text = text;
        token.Value = std::move(value);
    }

    void TextLiteral(TToken& token, std::size_t start) {
        std::u16string& value = token.Value.emplace<std::u16string>();
        ++FPos;
        for (;;) {
            const auto quote = FSource.find(u'\'', FPos);
            if (quote == std::u16string_view::npos)
                Fail(FSource, start + 1, "an unterminated text literal");
            value.append(FSource.substr(FPos, quote - FPos));
            FPos = quote + 1;
            if (FPos < FSource.size() && FSource[FPos] == u'\'') { // a doubled quote
                value.push_back(u'\'');
                ++FPos;
                continue;
            }
            break;
        }
        token.Kind = TTokenKind::Literal;
        token.Text = FSource.substr(start, FPos - start);
    }

    void DateLiteral(TToken& token, std::size_t start) {
        const auto close = FSource.find(u'#', start + 1);
        if (close == std::u16string_view::npos)
            Fail(FSource, start + 1, "an unterminated date literal");
        const auto body = FSource.substr(start + 1, close - start - 1);
        // A date's text is short and ASCII: it is read from a narrow copy on the stack.
        std::array<char, 24> narrow{};
        const bool ascii =
            body.size() <= narrow.size() &&
            std::all_of(body.begin(), body.end(), [](char16_t c) { return c < 0x80; });
        if (ascii)
            std::copy(body.begin(), body.end(), narrow.begin());
        auto date =
            ascii ? ParseLogDateTime(std::string_view(narrow.data(), body.size())) : std::nullopt;
        if (!date)
            Fail(FSource, start + 1,
                 "a date literal that is not a real yyyy-mm-dd [hh:mm] date (#" +
                     Platform::Utf16ToUtf8(body) + "#)");
        FPos = close + 1;
        token.Kind = TTokenKind::Literal;
        token.Text = FSource.substr(start, FPos - start);
        token.Value = date->StoredText16();
    }

    void Symbol(TToken& token, std::size_t start) {
        const char16_t next = FPos + 1 < FSource.size() ? FSource[FPos + 1] : u'\0';
        std::size_t length = 1;
        switch (FSource[FPos]) {
        case u'<':
            length = next == u'=' || next == u'>' ? 2 : 1;
            break;
        case u'>':
            length = next == u'=' ? 2 : 1;
            break;
        case u'=':
        case u'(':
        case u')':
        case u',':
        case u'*':
            break;
        default:
            Fail(FSource, start + 1,
                 "an unexpected character '" + Platform::Utf16ToUtf8(FSource.substr(FPos, 1)) +
                     "'");
        }
        token.Kind = TTokenKind::Symbol;
        token.Text = FSource.substr(FPos, length);
        FPos += length;
    }

    std::u16string_view FSource;
    std::u16string FUpper;
    std::size_t FPos = 0;
};

// Recursive-descent parser with one token of look-ahead; writes the SQLite text as it accepts
// the input.
class TParser {
public:
    // `literalOffsets`, when given, receives the 0-based source offset of each bound literal.
    explicit TParser(std::u16string_view source, std::vector<std::size_t>* literalOffsets = nullptr)
        : FSource(source), FTokenizer(source), FLiteralOffsets(literalOffsets) {
        FTokenizer.Next(FToken);
        FResult.Sql.reserve(source.size() + 16); // literals shrink to "?", an exists test grows
        FResult.Parameters.reserve(TypicalValues);
    }

    TSqlStatement Statement() {
        if (Peek().Upper == u"SELECT"sv) {
            Select();
        } else if (Peek().Upper == u"UPDATE"sv) {
            FResult.Kind = TSqlStatementKind::Update;
            Update();
        } else {
            Expected("SELECT or UPDATE");
        }
        ExpectEnd();
        return std::move(FResult);
    }

    TSqlStatement ExistsTest(std::u16string_view table) {
        Emit(u"SELECT 1 FROM "sv);
        Emit(table);
        Emit(u" WHERE "sv);
        Condition();
        ExpectEnd();
        Emit(u" LIMIT 1"sv);
        return std::move(FResult);
    }

private:
    // The plug-ins' statements bind at most about a dozen values.
    static constexpr std::size_t TypicalValues = 12;

    const TToken& Peek() const { return FToken; }
    // Moves on to the next token; gives the source text of the one passed.
    std::u16string_view Take() {
        const std::u16string_view text = FToken.Text;
        FTokenizer.Next(FToken);
        return text;
    }
    bool PeekSymbol(std::u16string_view symbol) const {
        return Peek().Kind == TTokenKind::Symbol && Peek().Text == symbol;
    }
    void Emit(std::u16string_view text) { FResult.Sql += text; }

    [[noreturn]] void Expected(const std::string& what) const {
        const auto& token = Peek();
        Fail(FSource, token.Position,
             "expected " + what + " but found " +
                 (token.Kind == TTokenKind::End ? std::string("the end")
                                                : "'" + Platform::Utf16ToUtf8(token.Text) + "'"));
    }

    void ExpectEnd() const {
        if (Peek().Kind != TTokenKind::End)
            Expected("the end of the statement");
    }

    void Keyword(std::u16string_view keyword) {
        if (Peek().Kind != TTokenKind::Word || Peek().Upper != keyword)
            Expected(Platform::Utf16ToUtf8(keyword));
        Take();
        Emit(keyword);
    }

    bool OptionalKeyword(std::u16string_view keyword) {
        if (Peek().Kind != TTokenKind::Word || Peek().Upper != keyword)
            return false;
        Keyword(keyword);
        return true;
    }

    void Symbol(std::u16string_view symbol) {
        if (!PeekSymbol(symbol))
            Expected("'" + Platform::Utf16ToUtf8(symbol) + "'");
        Take();
        Emit(symbol);
    }

    void Name() {
        if (Peek().Kind != TTokenKind::Word || IsKeyword(Peek().Upper))
            Expected("a name");
        Emit(Take());
    }

    void Literal() {
        if (Peek().Kind != TTokenKind::Literal)
            Expected("a literal");
        FResult.Parameters.push_back(std::move(FToken.Value));
        if (FLiteralOffsets)
            FLiteralOffsets->push_back(FToken.Position - 1);
        FTokenizer.Next(FToken);
        Emit(u"?"sv);
    }

    void Select() {
        Keyword(u"SELECT"sv);
        Emit(u" "sv);
        SelectItem();
        while (PeekSymbol(u","sv)) {
            Symbol(u","sv);
            SelectItem();
        }
        Emit(u" "sv);
        Keyword(u"FROM"sv);
        Emit(u" "sv);
        Name();
        Where();
        if (Peek().Upper == u"ORDER"sv) {
            Emit(u" "sv);
            Keyword(u"ORDER"sv);
            Emit(u" "sv);
            Keyword(u"BY"sv);
            Emit(u" "sv);
            OrderItem();
            while (PeekSymbol(u","sv)) {
                Symbol(u","sv);
                OrderItem();
            }
        }
    }

    void SelectItem() {
        if (PeekSymbol(u"*"sv)) {
            Symbol(u"*"sv);
            return;
        }
        const auto& upper = Peek().Upper;
        if (upper == u"COUNT"sv || upper == u"MIN"sv || upper == u"MAX"sv) {
            const bool count = upper == u"COUNT"sv;
            Keyword(std::u16string(upper));
            Symbol(u"("sv);
            if (count && PeekSymbol(u"*"sv))
                Symbol(u"*"sv);
            else
                Name();
            Symbol(u")"sv);
        } else {
            Name();
        }
        if (Peek().Upper == u"AS"sv) {
            Emit(u" "sv);
            Keyword(u"AS"sv);
            Emit(u" "sv);
            Name();
        }
    }

    void OrderItem() {
        Name();
        if (Peek().Upper == u"ASC"sv || Peek().Upper == u"DESC"sv) {
            Emit(u" "sv);
            Keyword(std::u16string(Peek().Upper));
        }
    }

    void Update() {
        Keyword(u"UPDATE"sv);
        Emit(u" "sv);
        Name();
        Emit(u" "sv);
        Keyword(u"SET"sv);
        Emit(u" "sv);
        Assignment();
        while (PeekSymbol(u","sv)) {
            Symbol(u","sv);
            Assignment();
        }
        Where();
    }

    void Assignment() {
        Name();
        Symbol(u"="sv);
        Literal();
    }

    void Where() {
        if (Peek().Upper != u"WHERE"sv)
            return;
        Emit(u" "sv);
        Keyword(u"WHERE"sv);
        Emit(u" "sv);
        Condition();
    }

    void Condition() {
        Comparison();
        while (Peek().Upper == u"AND"sv) {
            Emit(u" "sv);
            Keyword(u"AND"sv);
            Emit(u" "sv);
            Comparison();
        }
    }

    void Comparison() {
        Operand();
        static constexpr std::array<std::u16string_view, 6> Operators = {u"="sv, u"<"sv,  u"<="sv,
                                                                         u">"sv, u">="sv, u"<>"sv};
        if (Peek().Kind != TTokenKind::Symbol ||
            std::find(Operators.begin(), Operators.end(), Peek().Text) == Operators.end())
            Expected("a comparison (=, <, <=, >, >=, <>)");
        Emit(Take());
        Operand();
    }

    void Operand() {
        if (Peek().Kind == TTokenKind::Literal &&
            std::holds_alternative<std::monostate>(Peek().Value))
            Expected("a column or a value (NULL never compares equal)");
        if (Peek().Kind == TTokenKind::Literal)
            Literal();
        else
            Name();
    }

    std::u16string_view FSource;
    TTokenizer FTokenizer;
    TToken FToken; // the next token, not yet accepted
    TSqlStatement FResult;
    std::vector<std::size_t>* FLiteralOffsets;
};

bool IsPlainName(std::u16string_view name) {
    return !name.empty() && IsWordStart(name[0]) &&
           std::all_of(name.begin(), name.end(), IsWordChar) && !IsKeyword(Upper(name));
}

void RequirePlainName(std::u16string_view table) {
    if (!IsPlainName(table))
        ThrowDatabaseError("Invalid table name \"" + Platform::Utf16ToUtf8(table) + "\"");
}

// Stands for a literal in a shape key; never part of a statement the dialect accepts.
constexpr char16_t LiteralMark = u'\x01';

// Appends the shape of `source` to `key`: its text with each literal replaced by LiteralMark
// and a letter for its kind, word by word as the tokenizer reads it; the literals' offsets go to
// `literals`. False when the text cannot be keyed (an unterminated literal, a LiteralMark): the
// full translation then gives the error.
bool AppendShape(std::u16string_view source, std::u16string& key,
                 std::vector<std::size_t>& literals) {
    const std::size_t size = source.size();
    std::size_t run = 0; // the start of the text not yet appended
    std::size_t pos = 0;
    while (pos < size) {
        const char16_t c = source[pos];
        const std::size_t start = pos;
        char16_t kind = 0;
        if (IsWordStart(c)) {
            while (++pos < size && IsWordChar(source[pos])) {
            }
            continue;
        }
        if (IsDigit(c) || (c == u'-' && pos + 1 < size && IsDigit(source[pos + 1]))) {
            kind = u'n';
            ++pos;
            while (pos < size && (IsDigit(source[pos]) || source[pos] == u'.'))
                ++pos;
        } else if (c == u'\'') {
            kind = u't';
            do {
                const auto quote = source.find(u'\'', pos + 1);
                if (quote == std::u16string_view::npos)
                    return false;
                pos = quote + 1;
            } while (pos < size && source[pos] == u'\''); // a doubled quote
        } else if (c == u'#') {
            kind = u'd';
            const auto close = source.find(u'#', pos + 1);
            if (close == std::u16string_view::npos)
                return false;
            pos = close + 1;
        } else if (c == LiteralMark) {
            return false;
        } else {
            ++pos;
            continue;
        }
        key.append(source.substr(run, start - run));
        key.push_back(LiteralMark);
        key.push_back(kind);
        literals.push_back(start);
        run = pos;
    }
    key.append(source.substr(run));
    return true;
}

} // namespace

TSqlStatement TranslateStatement(std::u16string_view statement) {
    return TParser(statement).Statement();
}

TSqlStatement TranslateExistsTest(std::u16string_view table, std::u16string_view condition) {
    RequirePlainName(table);
    return TParser(condition).ExistsTest(table);
}

TSqlStatement TSqlTranslator::Statement(std::u16string_view statement) {
    FKey.assign(u"S"sv);
    return Translate(statement, [&](std::vector<std::size_t>* bound) {
        return TParser(statement, bound).Statement();
    });
}

TSqlStatement TSqlTranslator::ExistsTest(std::u16string_view table, std::u16string_view condition) {
    // A table of word characters ends at the blank that follows it in the key.
    if (table.empty() || !std::all_of(table.begin(), table.end(), IsWordChar))
        return TranslateExistsTest(table, condition);
    FKey.assign(u"E"sv);
    FKey.append(table);
    FKey.push_back(u' ');
    return Translate(condition, [&](std::vector<std::size_t>* bound) {
        RequirePlainName(table);
        return TParser(condition, bound).ExistsTest(table);
    });
}

template <class TTranslate>
TSqlStatement TSqlTranslator::Translate(std::u16string_view source, TTranslate&& translate) {
    FLiterals.clear();
    if (!AppendShape(source, FKey, FLiterals))
        return translate(nullptr);
    if (auto found = FShapes.find(FKey); found != FShapes.end())
        return Bind(found->second, source);
    FBound.clear();
    TSqlStatement statement = translate(&FBound);
    Remember(statement);
    return statement;
}

TSqlStatement TSqlTranslator::Bind(const TShape& shape, std::u16string_view source) const {
    TSqlStatement result{shape.Kind, shape.Sql, {}};
    result.Parameters.reserve(shape.Parameters.size());
    TTokenizer tokenizer(source);
    TToken token;
    for (std::size_t i = 0; i < shape.Parameters.size(); ++i) {
        if (shape.Literal[i] < 0) {
            result.Parameters.push_back(shape.Parameters[i]);
            continue;
        }
        tokenizer.NextAt(FLiterals[static_cast<std::size_t>(shape.Literal[i])], token);
        result.Parameters.push_back(std::move(token.Value));
    }
    return result;
}

void TSqlTranslator::Remember(const TSqlStatement& statement) {
    TShape shape{statement.Kind, statement.Sql, statement.Parameters, {}};
    shape.Literal.reserve(FBound.size());
    std::size_t next = 0; // literals and bound values are both in source order
    for (std::size_t i = 0; i < FBound.size(); ++i) {
        if (next < FLiterals.size() && FLiterals[next] == FBound[i]) {
            shape.Literal.push_back(static_cast<int>(next++));
            shape.Parameters[i] = std::monostate{};
        } else {
            shape.Literal.push_back(-1); // TRUE, FALSE or NULL
        }
    }
    if (next != FLiterals.size())
        return; // a literal the translation did not bind: not a shape to reuse
    if (FShapes.size() >= FCapacity)
        FShapes.clear();
    FShapes.emplace(FKey, std::move(shape));
}

} // namespace RefHost
