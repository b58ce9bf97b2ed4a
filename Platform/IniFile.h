// IniFile: a settings store over an INI file ("[Section]" lines, "Key=Value" lines).
//
// The store reads the file at its first use and writes each value to the file at once. A
// write reads the file again first and changes only the one line it concerns: every byte of
// the other lines stays as it was, even bytes that are not valid in the file's encoding, and
// so do its line breaks and byte-order mark (a file with a UTF-8 or UTF-16 mark keeps it; one
// without is in the ANSI code page). The file is replaced as a whole (ReplaceFileBytes), so a
// failed write leaves the old file intact; it keeps its permissions, and a missing file reads
// as empty and is created, readable by its owner only, by the first write. Section and key names
// compare without regard to ASCII letter case. Values keep their surrounding blanks: such a value
// is written between double quotes, and a quoted value reads without its quotes.
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

// One line of a settings file: its bytes and its line break exactly as stored (the break is
// empty for a last line without one), and its text, decoded for finding sections and keys.
struct TIniLine {
    std::string Bytes;
    std::string Break;
    std::u16string Text;
};

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
    // A line's bytes in the file's encoding (without the byte-order mark), and back.
    std::u16string DecodeLine(std::string_view bytes) const;
    std::string EncodeLine(std::u16string_view text) const;
    // Replaces line `index` with `text`; inserts `text` as a new line before line `index`.
    void SetLineText(std::size_t index, std::u16string text);
    void InsertLine(std::size_t index, std::u16string text);

    std::u16string FPath;
    bool FLoaded = false;
    std::vector<TIniLine> FLines;
    TTextEncoding FEncoding = TTextEncoding::Ansi;
    // The break of new lines, in the file's encoding: the file's first break, else CR LF.
    std::string FLineBreak;
};

} // namespace Platform
