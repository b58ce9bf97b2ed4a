// SampleRandom: the seeded choices behind the sample data: bands, modes, call signs, grid
// locators and IOTA references as a radio amateur's log holds them. The same seed always gives
// the same sequence. Not thread-safe (one generator per thread).
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace SampleData {

struct TBand {
    std::string_view Name;
    std::string_view Frequency; // in MHz, as FREQ is written
};

struct TMode {
    std::string_view Name;
    std::string_view Group; // the service's mode group
};

inline constexpr std::array<TBand, 6> Bands = {{{"160M", "1.84000"},
                                                {"80M", "3.57300"},
                                                {"40M", "7.07400"},
                                                {"20M", "14.07400"},
                                                {"15M", "21.07400"},
                                                {"10M", "28.07400"}}};

inline constexpr std::array<TMode, 5> Modes = {
    {{"FT8", "DATA"}, {"CW", "CW"}, {"SSB", "PHONE"}, {"RTTY", "DATA"}, {"FT4", "DATA"}}};

inline constexpr std::array<std::string_view, 4> IotaReferences = {"EU-005", "NA-046", "OC-001",
                                                                   "AS-007"};

class TSampleRandom {
public:
    explicit TSampleRandom(std::uint32_t seed) : FRandom(seed) {}

    // A number from 0 to count - 1.
    unsigned Pick(std::size_t count) {
        return static_cast<unsigned>(FRandom() % static_cast<std::uint32_t>(count));
    }
    // True in `percent` of the draws.
    bool Chance(unsigned percent) { return Pick(100) < percent; }

    const TBand& Band() { return Bands[Pick(Bands.size())]; }
    const TMode& Mode() { return Modes[Pick(Modes.size())]; }
    std::string_view Iota() { return IotaReferences[Pick(IotaReferences.size())]; }

    // A call sign of 4 to 6 characters: one or two prefix letters, a digit, a suffix.
    std::string CallSign() {
        std::string call(1, Letter());
        if (Pick(2) == 0)
            call += Letter();
        call += Digit();
        const unsigned suffixLength = 1 + Pick(3);
        for (unsigned i = 0; i < suffixLength; ++i)
            call += Letter();
        return call;
    }

    // A four- or six-character grid locator.
    std::string Locator() {
        std::string locator = {static_cast<char>('A' + Pick(18)), static_cast<char>('A' + Pick(18)),
                               Digit(), Digit()};
        if (Pick(2) == 0) {
            locator += static_cast<char>('a' + Pick(24));
            locator += static_cast<char>('a' + Pick(24));
        }
        return locator;
    }

private:
    char Letter() { return static_cast<char>('A' + Pick(26)); }
    char Digit() { return static_cast<char>('0' + Pick(10)); }

    std::mt19937 FRandom;
};

// Two digits of `value`, zero-padded.
inline std::string TwoDigits(unsigned value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

} // namespace SampleData
