#include "Host/CallCounts.h"

namespace RefHost {

TCallCounter& TCallCounter::operator=(const TCallCounter& other) {
    if (this != &other) {
        FByName = other.FByName;
        FByAddress.clear();
    }
    return *this;
}

int TCallCounter::Count(const char* operation) {
    auto known = FByAddress.find(operation);
    if (known == FByAddress.end()) {
        auto named = FByName.find(std::string_view(operation));
        if (named == FByName.end())
            named = FByName.emplace(operation, 0).first;
        known = FByAddress.emplace(operation, &named->second).first;
    }
    return ++*known->second;
}

int TCallCounter::Calls(std::string_view operation) const {
    auto found = FByName.find(operation);
    return found == FByName.end() ? 0 : found->second;
}

} // namespace RefHost
