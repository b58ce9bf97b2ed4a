// AdifReference: the ADIF reader's rules written out step by step, as the model the reader is
// checked against. It takes none of the reader's shortcuts: it upper-cases whole texts, tests
// the whole gathered record after every line and counts positions from 1. Small inputs only.
#pragma once

#include "Plugins/Corvane/ADIF.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace AdifReference {

// What the model raises where the reader raises its conversion error.
class EReferenceConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool SplitAdif(const TStringList& lines, TStringList& headerLines, TStringList& records);
std::u16string GetAdifField(std::u16string_view fieldName, int maxWidth, std::u16string_view text);

} // namespace AdifReference
