// FaultPlan: the test bench's scheduled failures of host operations.
//
// A fault names one host operation ("IHostServer.ExecuteSQL"), which of its calls fails (the
// Nth, counted from 1 over the host's life) and the status and error information it then
// returns. A fault fires once. Text form, as on the command line:
//   OPERATION:N:STATUS[:DESCRIPTION]
// STATUS is a number (0x80004005, -2147467259) or an exception class name, which stands for its
// class-name code (EDatabaseError, EConvertError, ...). Invalid text throws
// std::invalid_argument with a readable message. One thread at a time.
#pragma once

#include "Host/CallCounts.h"
#include "Platform/PlatformTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace RefHost {

struct TFault {
    std::string Operation;
    int Call = 1;
    HRESULT Status = 0;
    std::string Description;
};

TFault ParseFault(const std::string& text);

class TFaultPlan {
public:
    void Add(TFault fault) { FFaults.push_back(std::move(fault)); }

    // Counts one call of `operation` (a name with static storage, see CallCounts.h) and
    // returns the fault scheduled for it, if any.
    std::optional<TFault> NextCall(const char* operation);
    // How often `operation` has been called.
    int Calls(std::string_view operation) const { return FCalls.Calls(operation); }

private:
    std::vector<TFault> FFaults;
    TCallCounter FCalls;
};

} // namespace RefHost
