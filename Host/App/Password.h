// Password: where the verify command takes the LoTW password from, other than its command line.
//
// A password file gives its first line (without the line end); a file that other users may
// read (group or world read permission) is refused, as is one that cannot be read. On a
// terminal the password is asked for with echo off. Host thread only.
#pragma once

#include <optional>
#include <string>

namespace RefHost {

// The first line of the file at `path`; throws std::invalid_argument saying why it cannot be
// used.
std::string ReadPasswordFile(const std::string& path);

// Shows `prompt` on the terminal and reads a line without echoing it; nothing when standard
// input is not a terminal or ends first.
std::optional<std::string> PromptForPassword(const std::string& prompt);

} // namespace RefHost
