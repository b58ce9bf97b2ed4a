// CallCounts: how often each host operation has been called.
//
// Host operations are named by string literals ("IHostServer.ExecuteSQL"). Counting a call finds
// the operation's counter by the address of its name, so that the hot path compares no text;
// the name's text is looked up only the first time an address is seen, so two copies of one
// literal still count as one operation. A name passed to Count must therefore keep its address
// and text for the object's life. Reading the counts goes by name. One thread at a time.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

namespace RefHost {

// Calls by operation name; looked up by views.
using TCallCounts = std::map<std::string, int, std::less<>>;

class TCallCounter {
public:
    TCallCounter() = default;
    // The address index points into the map's nodes: a move carries both along, a copy takes
    // the counts and finds the addresses again as calls come.
    TCallCounter(const TCallCounter& other) : FByName(other.FByName) {}
    TCallCounter(TCallCounter&&) = default;
    TCallCounter& operator=(const TCallCounter& other);
    TCallCounter& operator=(TCallCounter&&) = default;
    ~TCallCounter() = default;

    // Counts one call of `operation` (a name with static storage) and returns its number,
    // counted from 1.
    int Count(const char* operation);
    // How often `operation` has been called.
    int Calls(std::string_view operation) const;
    const TCallCounts& ByName() const { return FByName; }

private:
    TCallCounts FByName;
    // The map's nodes never move, so a counter's address stays valid.
    std::unordered_map<const char*, int*> FByAddress;
};

} // namespace RefHost
