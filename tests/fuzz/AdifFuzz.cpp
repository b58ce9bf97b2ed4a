// Fuzz target of the ADIF reader: every input is split and read both by the reader and by its
// step-by-step model (see AdifAgreement.h for how bytes become lines); any disagreement, crash
// or sanitizer finding stops the run.
#include "tests/adif/AdifAgreement.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string disagreement = FindAdifDisagreement(AdifCaseFromBytes(data, size));
    if (!disagreement.empty()) {
        std::fprintf(stderr, "ADIF reader and model disagree: %s\n", disagreement.c_str());
        std::abort();
    }
    return 0;
}
