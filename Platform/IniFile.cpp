#include "Platform/IniFile.h"

#include "Platform/Files.h"

namespace Platform {
namespace {

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto upper = [](char16_t c) {
            return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
        };
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

// The section a "[Name]" line opens.
std::optional<std::u16string_view> SectionName(std::u16string_view line) {
    line = TrimBlanks(line);
    if (!line.starts_with(u'['))
        return std::nullopt;
    const std::size_t close = line.find(u']');
    return TrimBlanks(line.substr(1, close == std::u16string_view::npos ? line.npos : close - 1));
}

bool IsComment(std::u16string_view line) {
    line = TrimBlanks(line);
    return line.starts_with(u';') || line.starts_with(u'#');
}

std::u16string_view KeyOf(std::u16string_view line) {
    const std::size_t equals = line.find(u'=');
    return equals == line.npos || IsComment(line) ? std::u16string_view()
                                                  : TrimBlanks(line.substr(0, equals));
}

std::u16string ValueOf(std::u16string_view line) {
    std::u16string_view value = TrimBlanks(line.substr(line.find(u'=') + 1));
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        value = value.substr(1, value.size() - 2);
    return std::u16string(value);
}

// The value as written in a line: quoted when it would not read back as it is.
std::u16string WrittenValue(std::u16string_view value) {
    const bool needsQuotes = !value.empty() && (TrimBlanks(value).size() != value.size() ||
                                                (value.front() == u'"' && value.back() == u'"'));
    return needsQuotes ? u"\"" + std::u16string(value) + u"\"" : std::u16string(value);
}

std::size_t FolderEnd(std::u16string_view path) {
    const std::size_t separator = path.find_last_of(u"\\/");
    return separator == path.npos ? 0 : separator + 1;
}

std::u16string WithIniExtension(std::u16string_view path) {
    const std::size_t dot = path.find_last_of(u'.');
    if (dot != path.npos && dot >= FolderEnd(path))
        path = path.substr(0, dot);
    return std::u16string(path) + u".ini";
}

} // namespace

std::u16string ResolveIniPath(std::u16string_view path) {
    if (path.empty())
        return WithIniExtension(ExecutablePath());
    if (path.find_first_of(u"\\/:") == path.npos) {
        const std::u16string executable = ExecutablePath();
        return executable.substr(0, FolderEnd(executable)) + WithIniExtension(path);
    }
    return std::u16string(path);
}

TIniFile::TIniFile(std::u16string path) : FPath(std::move(path)) {}

std::u16string TIniFile::FileName() const {
    return ResolveIniPath(FPath);
}

bool TIniFile::ValueExists(std::u16string_view section, std::u16string_view key) {
    EnsureLoaded();
    return FindKey(section, key).has_value();
}

std::u16string TIniFile::ReadString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view defaultValue) {
    EnsureLoaded();
    const std::optional<std::size_t> line = FindKey(section, key);
    return line ? ValueOf(FLines[*line]) : std::u16string(defaultValue);
}

int TIniFile::WriteString(std::u16string_view section, std::u16string_view key,
                          std::u16string_view value) {
    if (const int error = Load())
        return error;
    const std::u16string line = std::u16string(key) + u"=" + WrittenValue(value);
    if (const std::optional<std::size_t> found = FindKey(section, key)) {
        std::u16string& existing = FLines[*found]; // the key keeps its spelling
        existing = existing.substr(0, existing.find(u'=') + 1) + WrittenValue(value);
    } else {
        // After the last non-blank line of the section, or a new section at the end.
        std::optional<std::size_t> insertAt;
        for (std::size_t i = 0; i < FLines.size(); ++i) {
            const auto name = SectionName(FLines[i]);
            if (name && insertAt)
                break;
            if (name ? SameName(*name, section) : insertAt && !TrimBlanks(FLines[i]).empty())
                insertAt = i + 1;
        }
        if (insertAt) {
            FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(*insertAt), line);
        } else {
            if (!FLines.empty() && !TrimBlanks(FLines.back()).empty())
                FLines.emplace_back();
            FLines.push_back(u"[" + std::u16string(section) + u"]");
            FLines.push_back(line);
        }
    }
    std::u16string text;
    for (const std::u16string& each : FLines)
        text += each + FLineBreak;
    return WriteFileBytes(FileName(), EncodeText(text, FEncoding));
}

int TIniFile::Load() {
    FLoaded = true;
    FLines.clear();
    std::string bytes;
    if (const int error = ReadFileBytes(FileName(), bytes))
        return IsMissingFileError(error) ? 0 : error;
    const std::u16string text = DecodeText(bytes, &FEncoding);
    const std::size_t firstBreak = text.find_first_of(u"\r\n");
    if (firstBreak != text.npos)
        FLineBreak =
            text.compare(firstBreak, 2, u"\r\n") == 0 ? u"\r\n" : text.substr(firstBreak, 1);
    FLines = SplitLines(text);
    return 0;
}

void TIniFile::EnsureLoaded() {
    if (!FLoaded)
        (void)Load(); // a file that cannot be read reads as empty
}

std::optional<std::size_t> TIniFile::FindKey(std::u16string_view section,
                                             std::u16string_view key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        if (const auto name = SectionName(FLines[i]))
            inSection = SameName(*name, section);
        else if (inSection && SameName(KeyOf(FLines[i]), key) && !key.empty())
            return i;
    }
    return std::nullopt;
}

} // namespace Platform
