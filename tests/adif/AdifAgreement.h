// AdifAgreement: the property that the ADIF reader and its reference model agree, shared by
// the unit tests (random and stored inputs) and the fuzz target (inputs libFuzzer finds).
#pragma once

#include "Plugins/Corvane/ADIF.h"

#include <cstddef>
#include <cstdint>
#include <string>

// One input: report lines and the width every field is read with.
struct TAdifCase {
    TStringList Lines;
    int Width = 0;
};

// The case a fuzz input stands for: the first byte picks the width (-2 to 37), every further
// byte is one character (Latin-1), and "\n" ends a line.
TAdifCase AdifCaseFromBytes(const std::uint8_t* data, std::size_t size);

// Splits the lines with both, then reads the run's header and record fields (and a few more)
// from the header text and every record with both. Returns the first disagreement, described
// for a person, or an empty string when they agree.
std::string FindAdifDisagreement(const TAdifCase& adifCase);
