// Options: the command line of one refhost verb.
//
// "--name value" options (repeatable ones collect every value), "--flag" switches, and the
// remaining words as positional arguments. Parse() checks every name against what the verb
// accepts and throws std::invalid_argument with a readable message otherwise.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace RefHost {

class TOptions {
public:
    // `valued`: names that take a value; `flags`: switches. Names without the leading "--".
    static TOptions Parse(const std::vector<std::string>& words,
                          const std::set<std::string>& valued, const std::set<std::string>& flags);

    std::optional<std::string> Value(const std::string& name) const;
    // The value, or throws std::invalid_argument naming the missing option.
    std::string Required(const std::string& name) const;
    std::string ValueOr(const std::string& name, const std::string& fallback) const;
    std::vector<std::string> Values(const std::string& name) const;
    bool Flag(const std::string& name) const { return FFlags.contains(name); }
    const std::vector<std::string>& Positional() const { return FPositional; }

private:
    std::multimap<std::string, std::string> FValues;
    std::set<std::string> FFlags;
    std::vector<std::string> FPositional;
};

} // namespace RefHost
