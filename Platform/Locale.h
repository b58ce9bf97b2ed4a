// Locale: the user's date and time conventions and the system's text code pages.
//
// The short date format ("ddddd") and the time separator are what the user reads in messages
// and logs; machine-readable text (SQL, file names, request addresses) never uses them. The
// ANSI code page is the system's legacy 8-bit encoding (UTF-8 on POSIX). Conversions never
// fail: bytes that are not valid in the source encoding become U+FFFD, and characters the target
// cannot hold become "?". Every function is thread-safe and reads the locale at each call.
#pragma once

#include "PlatformTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// A calendar date (year, month 1-12, day 1-31) in the user's short date format.
PLATFORM_EXPORT std::u16string FormatShortDate(int year, unsigned month, unsigned day);

// The user's separator between hours and minutes (":" when the locale names none).
PLATFORM_EXPORT std::u16string TimeSeparator();

// Text in the system's ANSI code page and back.
PLATFORM_EXPORT std::string ToAnsiCodePage(std::u16string_view text);
PLATFORM_EXPORT std::u16string FromAnsiCodePage(std::string_view bytes);

// UTF-8 and UTF-16. A lone surrogate becomes U+FFFD in UTF-8.
PLATFORM_EXPORT std::string Utf16ToUtf8(std::u16string_view text);
PLATFORM_EXPORT std::u16string Utf8ToUtf16(std::string_view bytes);

// How a text file is written: in the ANSI code page without a byte-order mark, or in a Unicode
// encoding that begins with its byte-order mark.
enum class TTextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// The text of `bytes`: a UTF-8 or UTF-16 byte-order mark selects that encoding (the mark is not
// part of the text), else the ANSI code page. `encoding`, when given, receives the choice. A
// UTF-16 text with an odd byte count ends in U+FFFD.
PLATFORM_EXPORT std::u16string DecodeText(std::string_view bytes,
                                          TTextEncoding* encoding = nullptr);

// The lines of `text`, split at CR LF, LF and a lone CR; a break at the very end adds no empty
// line.
PLATFORM_EXPORT std::vector<std::u16string> SplitLines(std::u16string_view text);

// `text` as bytes in `encoding`, byte-order mark first.
PLATFORM_EXPORT std::string EncodeText(std::u16string_view text, TTextEncoding encoding);

} // namespace Platform
