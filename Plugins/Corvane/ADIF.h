// ADIF: the reader of LoTW report text.
//
// SplitAdif divides received lines into header lines and record strings (TAdifSplitter does
// the same for lines handed over one at a time); GetAdifField pulls one field's value out of a
// record string or the header text, cut to a width. The functions are free of state. Field names
// and the end tags <EOH> and <EOR> are matched in any letter case (ASCII only). Work is linear in
// the size of the text.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
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

// The split of SplitAdif for lines that arrive one at a time, so that a reader need not hold
// them all: each record goes to the record sink as soon as it is complete.
class TAdifSplitter {
public:
    // Receives each record string in order; the view lasts until the sink returns.
    using TRecordSink = std::function<void(std::u16string_view record)>;

    explicit TAdifSplitter(TRecordSink recordSink);

    // Takes the next line.
    void Add(std::u16string_view line);
    // Ends the lines: a record still being gathered (the last, without its end tag) goes to
    // the sink. Add must not follow.
    void Finish();

    // The header lines; complete once the first record has begun, or after Finish.
    const TStringList& HeaderLines() const { return FHeaderLines; }
    TStringList TakeHeaderLines() { return std::move(FHeaderLines); }

private:
    // Hands the gathered record to the sink and starts the next.
    void EndRecord();

    TRecordSink FRecordSink;
    TStringList FHeaderLines;
    bool FInHeader = true;
    // The record being gathered: its text and how many lines it holds.
    std::u16string FRecord;
    std::size_t FRecordLines = 0;
};

// The value of field `fieldName` in `text`, at most `maxWidth` characters (none when the width
// is not positive). The first "<NAME:" in any letter case is taken; the declared length is
// honoured as written, even into a following tag, and stops only where the text ends or 32767
// characters after the colon. A specifier without length digits has length 0. A data-type
// indicator (":" and one letter before the ">") is skipped. Empty when the field is absent.
// Raises EConvertError, quoting the digits, when the declared length does not fit a signed
// 32-bit integer.
std::u16string GetAdifField(std::u16string_view fieldName, int maxWidth, std::u16string_view text);

// Whether `text` holds a field, that is a tag with a length ("<NAME:LEN>"); a bare tag such as
// "<APP_LoTW_EOF>" or "<eor>" is none.
bool HoldsAdifField(std::u16string_view text);

// One field to read with GetAdifFields: its name, its width, and where its value goes.
struct TAdifFieldRequest {
    std::u16string_view Name;
    int MaxWidth;
    std::u16string_view* Value;
};

// Reads several fields of one text in a single pass over it: each value is what GetAdifField
// gives for the field's name and width, as a view into `text`. Values are set in the order of
// `fields`; a declared
// length that does not fit raises as GetAdifField does, for the first such field. At most 32
// fields at once (std::invalid_argument beyond).
void GetAdifFields(std::span<const TAdifFieldRequest> fields, std::u16string_view text);
