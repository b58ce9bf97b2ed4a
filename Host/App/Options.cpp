#include "Host/App/Options.h"

#include <stdexcept>

namespace RefHost {

TOptions TOptions::Parse(const std::vector<std::string>& words, const std::set<std::string>& valued,
                         const std::set<std::string>& flags) {
    TOptions options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (!word.starts_with("--")) {
            options.FPositional.push_back(word);
            continue;
        }
        const std::string name = word.substr(2);
        if (flags.contains(name)) {
            options.FFlags.insert(name);
        } else if (valued.contains(name)) {
            if (i + 1 == words.size())
                throw std::invalid_argument("the option " + word + " needs a value");
            options.FValues.emplace(name, words[++i]);
        } else {
            throw std::invalid_argument("unknown option " + word);
        }
    }
    return options;
}

std::optional<std::string> TOptions::Value(const std::string& name) const {
    auto range = FValues.equal_range(name);
    if (range.first == range.second)
        return std::nullopt;
    return std::prev(range.second)->second; // the last one given wins
}

std::string TOptions::Required(const std::string& name) const {
    auto value = Value(name);
    if (!value)
        throw std::invalid_argument("the option --" + name + " is required");
    return *value;
}

std::string TOptions::ValueOr(const std::string& name, const std::string& fallback) const {
    return Value(name).value_or(fallback);
}

std::vector<std::string> TOptions::Values(const std::string& name) const {
    std::vector<std::string> values;
    auto range = FValues.equal_range(name);
    for (auto it = range.first; it != range.second; ++it)
        values.push_back(it->second);
    return values;
}

} // namespace RefHost
