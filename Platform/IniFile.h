// IniFile: a settings store over an INI file ("[Section]" lines, "Key=Value" lines).
//
// The store reads the file at its first use and writes each value to the file at once. A
// write reads the file again first and changes only the one line it concerns, so the file's
// other sections, keys, comments, line breaks and encoding stay as they are (a file with a
// UTF-8 or UTF-16 byte-order mark keeps it; one without is in the ANSI code page). A missing
// file reads as empty and is created by the first write. Section and key names compare
// without regard to ASCII letter case. Values keep their surrounding blanks: such a value is
// written between double quotes, and a quoted value reads without its quotes.
//
// Path rules, applied at first use: an empty path means the host executable's path with
// ".ini" in place of its extension; a name without a folder means that name, with ".ini" in
// place of its extension, in the executable's folder; any other path is used as it is.
// Not thread-safe; one store is used by one thread.
#pragma once

#include "Locale.h"
#include "PlatformTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// The settings file that `path` names under the rules above.
PLATFORM_EXPORT std::u16string ResolveIniPath(std::u16string_view path);

class PLATFORM_EXPORT TIniFile {
public:
    explicit TIniFile(std::u16string path);

    // The file the store works on (the path rules applied).
    std::u16string FileName() const;

    bool ValueExists(std::u16string_view section, std::u16string_view key);
    // The value, or `defaultValue` when the key is absent (a present empty key gives "").
    std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view defaultValue);

    // Sets the value and writes the file. 0, or the system's error code when the file could not
    // be read or written (FileErrorText gives the message); the store then holds the new value
    // but the file may not.
    [[nodiscard]] int WriteString(std::u16string_view section, std::u16string_view key,
                                  std::u16string_view value);

private:
    // Reads the file; a missing file gives an empty store. 0 or the error code.
    int Load();
    void EnsureLoaded();
    std::optional<std::size_t> FindKey(std::u16string_view section, std::u16string_view key) const;

    std::u16string FPath;
    bool FLoaded = false;
    std::vector<std::u16string> FLines;
    TTextEncoding FEncoding = TTextEncoding::Ansi;
    std::u16string FLineBreak = u"\r\n";
};

} // namespace Platform
