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

// Appends to `headerLines` every line up to and including the first holding <EOH>, then to
// `records` one string per record: consecutive lines joined without separator until the joined
// text holds <EOR>. Returns false only when nothing at all was received.
bool SplitAdif(const TStringList& lines, TStringList& headerLines, TStringList& records);

// The value of field `fieldName` in `text` (empty when absent), at most `maxWidth` characters.
// Raises EConvertError when the declared length does not fit a signed 32-bit integer.
std::u16string GetAdifField(std::u16string_view fieldName, int maxWidth, std::u16string_view text);
