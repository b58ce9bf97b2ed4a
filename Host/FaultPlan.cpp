#include "Host/FaultPlan.h"

#include "PluginAPI/StatusCodes.h"

#include <stdexcept>

namespace RefHost {

namespace {

HRESULT ParseStatus(const std::string& text) {
    if (!text.empty() && (text[0] == 'E' || text[0] == 'T'))
        return ClassErrorCode(text);
    try {
        std::size_t used = 0;
        const long long value = std::stoll(text, &used, 0);
        if (used == text.size() && value >= INT32_MIN && value <= UINT32_MAX)
            return static_cast<HRESULT>(static_cast<std::uint32_t>(value));
    } catch (const std::exception&) {
    }
    throw std::invalid_argument("not a status or class name: \"" + text + "\"");
}

} // namespace

TFault ParseFault(const std::string& text) {
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos)
        throw std::invalid_argument("a fault reads OPERATION:N:STATUS[:DESCRIPTION], not \"" +
                                    text + "\"");
    const auto third = text.find(':', second + 1);
    TFault fault;
    fault.Operation = text.substr(0, first);
    const std::string call = text.substr(first + 1, second - first - 1);
    try {
        std::size_t used = 0;
        fault.Call = std::stoi(call, &used);
        if (used != call.size() || fault.Call < 1)
            throw std::invalid_argument(call);
    } catch (const std::exception&) {
        throw std::invalid_argument("the call number of a fault counts from 1, not \"" + call +
                                    "\"");
    }
    fault.Status = ParseStatus(text.substr(second + 1, third - second - 1));
    if (third != std::string::npos)
        fault.Description = text.substr(third + 1);
    return fault;
}

std::optional<TFault> TFaultPlan::NextCall(const char* operation) {
    const int call = FCalls.Count(operation);
    for (const auto& fault : FFaults)
        if (fault.Operation == operation && fault.Call == call)
            return fault;
    return std::nullopt;
}

} // namespace RefHost
