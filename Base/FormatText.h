// FormatText: fills a message pattern with texts and integers, for the exception classes and
// the messages built from a fixed pattern. Pure functions; thread-safe.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

// One argument of FormatText: a text for %s or an integer for %d.
class TFormatArg {
public:
    TFormatArg(std::u16string_view text) : FText(text), FIsText(true) {}
    TFormatArg(const std::u16string& text) : TFormatArg(std::u16string_view(text)) {}
    TFormatArg(const char16_t* text) : TFormatArg(std::u16string_view(text)) {}
    template <std::integral T>
    requires(!std::is_same_v<T, bool> && !std::is_same_v<T, char> && !std::is_same_v<T, char16_t> &&
             !std::is_same_v<T, char32_t>) TFormatArg(T value)
        : FInteger(static_cast<std::int64_t>(value)) {}

    bool IsText() const { return FIsText; }
    std::u16string_view Text() const { return FText; }
    std::int64_t Integer() const { return FInteger; }

private:
    std::u16string_view FText;
    std::int64_t FInteger = 0;
    bool FIsText = false;
};

// Fills "%s" (text) and "%d" (integer) placeholders in order; "%%" is a percent sign. A
// placeholder without a matching argument, or any other placeholder, raises EConvertError.
std::u16string FormatText(std::u16string_view format, std::initializer_list<TFormatArg> args);
