#include "Host/HostServer.h"

#include "Host/HostError.h"
#include "Platform/Locale.h"

#include "Platform/SysString.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace RefHost {

namespace {

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    auto fold = [](char16_t c) {
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

std::string Describe(const TSqlValue& value) {
    if (auto* text = std::get_if<std::u16string>(&value))
        return "'" + Platform::Utf16ToUtf8(*text) + "'";
    if (auto* integer = std::get_if<std::int64_t>(&value))
        return std::to_string(*integer);
    if (auto* real = std::get_if<double>(&value))
        return std::to_string(*real);
    return "NULL";
}

[[noreturn]] void NotConvertible(BSTR column, const TSqlValue& value, const char* kind) {
    ThrowDatabaseError("Field " + Platform::Utf16ToUtf8(SysStringView(column)) + " holds no " +
                       kind + ": " + Describe(value));
}

LONG ToInteger(BSTR column, const TSqlValue& value) {
    std::int64_t integer = 0;
    if (auto* stored = std::get_if<std::int64_t>(&value)) {
        integer = *stored;
    } else if (auto* real = std::get_if<double>(&value)) {
        if (!std::isfinite(*real) || std::fabs(*real) > 2147483647.0)
            NotConvertible(column, value, "32-bit integer");
        integer = static_cast<std::int64_t>(*real);
    } else {
        const std::string text = Platform::Utf16ToUtf8(std::get<std::u16string>(value));
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), integer);
        if (error != std::errc() || end != text.data() + text.size())
            NotConvertible(column, value, "integer");
    }
    if (integer < std::numeric_limits<LONG>::min() || integer > std::numeric_limits<LONG>::max())
        NotConvertible(column, value, "32-bit integer");
    return static_cast<LONG>(integer);
}

bool ToBoolean(BSTR column, const TSqlValue& value) {
    if (auto* text = std::get_if<std::u16string>(&value)) {
        if (SameName(*text, u"TRUE") || *text == u"1")
            return true;
        if (SameName(*text, u"FALSE") || *text == u"0")
            return false;
        NotConvertible(column, value, "Boolean");
    }
    if (auto* real = std::get_if<double>(&value))
        return *real != 0.0;
    return std::get<std::int64_t>(value) != 0;
}

TLogDateTime ToDateTime(BSTR column, const TSqlValue& value) {
    auto* text = std::get_if<std::u16string>(&value);
    auto parsed = text ? ParseLogDateTime(Platform::Utf16ToUtf8(*text)) : std::nullopt;
    if (!parsed)
        NotConvertible(column, value, "date");
    return *parsed;
}

} // namespace

void THostServer::FailUnit(LONG handle) noexcept {
    for (const LONG failed : {handle != 0 ? handle : NewestHandle(), FUnitOwner}) {
        auto found = FQueries.find(failed);
        if (found != FQueries.end())
            found->second.Failed = true;
    }
    FLogbook.Rollback();
    FUnitOwner = 0;
}

LONG THostServer::NewestHandle() const {
    return FQueries.empty() ? 0 : FQueries.rbegin()->first;
}

void THostServer::JoinUnit() {
    const LONG newest = NewestHandle();
    if (newest == 0 || FUnitOwner != 0)
        return;
    if (FQueries.at(newest).Failed)
        ThrowDatabaseError("Query " + std::to_string(newest) +
                           " failed earlier and its changes were undone; free it first");
    FLogbook.Begin();
    FUnitOwner = newest;
}

THostServer::TQuery& THostServer::Query(LONG handle) {
    auto found = FQueries.find(handle);
    if (found == FQueries.end())
        ThrowDatabaseError("Unknown query handle " + std::to_string(handle));
    return found->second;
}

const TSqlValue* THostServer::Field(LONG handle, BSTR column) {
    auto& query = Query(handle);
    if (!query.Open)
        ThrowDatabaseError("Query " + std::to_string(handle) + " is not open");
    const auto name = SysStringView(column);
    const auto& columns = query.Result.Columns;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!SameName(columns[i], name))
            continue;
        if (query.Result.Rows.empty())
            return nullptr;
        const auto& value = query.Result.Rows.front()[i];
        return std::holds_alternative<std::monostate>(value) ? nullptr : &value;
    }
    ThrowDatabaseError("Unknown field " + Platform::Utf16ToUtf8(name) + " in query " +
                       std::to_string(handle));
}

HRESULT PLUGIN_STDCALL THostServer::RecordExists(BSTR table, BSTR condition, LONG* exists) {
    return Run("IHostServer.RecordExists", 0, [&] {
        RequireResultPointer(exists);
        *exists = 0;
        auto statement = FTranslator.ExistsTest(SysStringView(table), SysStringView(condition));
        *exists = FLogbook.Exists(statement) ? HostTrue : 0;
    });
}

HRESULT PLUGIN_STDCALL THostServer::CreateQuery(LONG* handle) {
    return Run("IHostServer.CreateQuery", 0, [&] {
        RequireResultPointer(handle);
        *handle = FNextHandle;
        FQueries.emplace(FNextHandle++, TQuery{});
    });
}

HRESULT PLUGIN_STDCALL THostServer::OpenQuery(LONG handle, BSTR sql) {
    return Run("IHostServer.OpenQuery", handle, [&] {
        auto& query = Query(handle);
        query.Open = false;
        auto statement = FTranslator.Statement(SysStringView(sql));
        if (statement.Kind != TSqlStatementKind::Select)
            ThrowDatabaseError("A query opens a SELECT statement, not \"" +
                               Platform::Utf16ToUtf8(SysStringView(sql)) + "\"");
        query.Result = FLogbook.Query(statement, 1);
        query.Open = true;
    });
}

HRESULT PLUGIN_STDCALL THostServer::GetIntegerField(LONG handle, BSTR column, LONG* value,
                                                    LONG* present) {
    return Run("IHostServer.GetIntegerField", handle, [&] {
        RequireResultPointer(value);
        RequireResultPointer(present);
        *value = 0;
        *present = 0;
        if (auto* field = Field(handle, column)) {
            *value = ToInteger(column, *field);
            *present = HostTrue;
        }
    });
}

HRESULT PLUGIN_STDCALL THostServer::GetBooleanField(LONG handle, BSTR column, LONG* value,
                                                    LONG* present) {
    return Run("IHostServer.GetBooleanField", handle, [&] {
        RequireResultPointer(value);
        RequireResultPointer(present);
        *value = 0;
        *present = 0;
        if (auto* field = Field(handle, column)) {
            *value = ToBoolean(column, *field) ? HostTrue : 0;
            *present = HostTrue;
        }
    });
}

HRESULT PLUGIN_STDCALL THostServer::GetDateTimeField(LONG handle, BSTR column, std::uint16_t* year,
                                                     std::uint16_t* month, std::uint16_t* day,
                                                     std::uint16_t* hour, std::uint16_t* minute,
                                                     std::uint16_t* second, LONG* present) {
    return Run("IHostServer.GetDateTimeField", handle, [&] {
        for (auto* out : {year, month, day, hour, minute, second}) {
            RequireResultPointer(out);
            *out = 0;
        }
        RequireResultPointer(present);
        *present = 0;
        if (auto* field = Field(handle, column)) {
            const auto date = ToDateTime(column, *field);
            *year = static_cast<std::uint16_t>(date.Year);
            *month = static_cast<std::uint16_t>(date.Month);
            *day = static_cast<std::uint16_t>(date.Day);
            *hour = static_cast<std::uint16_t>(date.Hour);
            *minute = static_cast<std::uint16_t>(date.Minute);
            *second = static_cast<std::uint16_t>(date.Second);
            *present = HostTrue;
        }
    });
}

HRESULT PLUGIN_STDCALL THostServer::CloseQuery(LONG handle) {
    return Run("IHostServer.CloseQuery", handle, [&] {
        auto& query = Query(handle);
        query.Open = false;
        query.Result = {};
    });
}

HRESULT PLUGIN_STDCALL THostServer::FreeQuery(LONG handle) {
    return Run("IHostServer.FreeQuery", handle, [&] {
        Query(handle);
        FQueries.erase(handle);
        if (handle != FUnitOwner)
            return;
        // The unit is complete: its changes become visible to others. A failed commit is
        // rolled back with the unit.
        FLogbook.Commit();
        FUnitOwner = 0;
    });
}

HRESULT PLUGIN_STDCALL THostServer::ExecuteSQL(BSTR statement, LONG* executed) {
    return Run("IHostServer.ExecuteSQL", 0, [&] {
        RequireResultPointer(executed);
        *executed = 0;
        const auto text = SysStringView(statement);
        auto translated = FTranslator.Statement(text);
        if (translated.Kind != TSqlStatementKind::Update)
            ThrowDatabaseError("ExecuteSQL runs an UPDATE statement, not \"" +
                               Platform::Utf16ToUtf8(text) + "\"");
        JoinUnit();
        std::string refusal;
        if (FLogbook.Execute(translated, &refusal) == TExecuteResult::Executed)
            *executed = HostTrue;
        else
            FCalls.Events().StatementRefused(std::u16string(text), refusal);
    });
}

} // namespace RefHost
