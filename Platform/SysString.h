// SysString: system strings, the text type of every boundary call.
//
// A system string is 16-bit characters preceded by their byte length as a 32-bit number and
// followed by a null character; the pointer addresses the first character. A null pointer is
// the empty text. The functions carry their Windows names and C linkage; on POSIX they live in
// the shared platform runtime so that a string allocated in one module is freed in another.
// Thread-safe.
#pragma once

#include "PlatformTypes.h"

#include <string>
#include <string_view>

#if !defined(_WIN32)
// Allocates a copy of `len` characters of `text` (uninitialised characters when text is null)
// plus a terminator. Returns null when memory is exhausted.
CORVANE_PLATFORM_API BSTR SysAllocStringLen(const OLECHAR* text, UINT len);
// Allocates a copy of the null-terminated `text`; null in, null out.
CORVANE_PLATFORM_API BSTR SysAllocString(const OLECHAR* text);
// Frees a system string; null is allowed.
CORVANE_PLATFORM_API void SysFreeString(BSTR text);
// Number of characters (the stored byte length / 2); 0 for null.
CORVANE_PLATFORM_API UINT SysStringLen(BSTR text);
// The stored byte length; 0 for null.
CORVANE_PLATFORM_API UINT SysStringByteLen(BSTR text);
#endif

// The characters of a system string as UTF-16 text (null gives the empty text).
inline std::u16string_view SysStringView(const OLECHAR* text) {
    if (text == nullptr)
        return {};
    return {reinterpret_cast<const char16_t*>(text), SysStringLen(const_cast<BSTR>(text))};
}

// A new system string holding `text`; the caller owns it.
inline BSTR SysStringFrom(std::u16string_view text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
}

// Owns one system string for a scope: text results of boundary calls land in `Out()`.
class TSysString {
public:
    TSysString() = default;
    explicit TSysString(std::u16string_view text) : FText(SysStringFrom(text)) {}
    TSysString(const TSysString&) = delete;
    TSysString& operator=(const TSysString&) = delete;
    ~TSysString() { SysFreeString(FText); }

    // The string to pass as a borrowed argument.
    BSTR Get() const { return FText; }
    // Frees what is held and returns the variable for an out-parameter.
    BSTR* Out() {
        SysFreeString(FText);
        FText = nullptr;
        return &FText;
    }
    std::u16string Text() const { return std::u16string(SysStringView(FText)); }

private:
    BSTR FText = nullptr;
};
