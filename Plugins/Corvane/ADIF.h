// ADIF: the reader of LoTW report text.
//
// SplitAdif divides received lines into header lines and record strings; GetAdifField pulls
// one field's value out of a record string or the header text, cut to a width. Both are free
// functions without state. Field names and the end tags <EOH> and <EOR> are matched in any
// letter case (ASCII only). Work is linear in the size of the text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using TStringList = std::vector<std::u16string>;

// Appends to `headerLines` every line up to and including the first holding <EOH> (all lines
// when none does), then to `records` one string per record: consecutive lines joined without
// separator until the joined text holds <EOR> (so a tag broken across lines still ends it), or
// until the lines run out; an empty last line gives an empty record. The input is not changed.
// Returns false only when both lists end up empty (no lines at all).
bool SplitAdif(const TStringList& lines, TStringList& headerLines, TStringList& records);

// The value of field `fieldName` in `text`, at most `maxWidth` characters (none when the width
// is not positive). The first "<NAME:" in any letter case is taken; the declared length is
// honoured as written, even into a following tag, and stops only where the text ends or 32767
// characters after the colon. A specifier without length digits has length 0. A data-type
// indicator (":" and one letter before the ">") is skipped. Empty when the field is absent.
// Raises EConvertError, quoting the digits, when the declared length does not fit a signed
// 32-bit integer.
std::u16string GetAdifField(std::u16string_view fieldName, int maxWidth, std::u16string_view text);
