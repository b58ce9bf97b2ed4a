#include "Platform/IniFile.h"

#include "Platform/Files.h"

#include <cerrno>

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

// The byte-order mark that opens a file in `encoding` (none for the ANSI code page).
std::string MarkOf(TTextEncoding encoding) {
    return EncodeText(u"", encoding);
}

// Splits the bytes after the mark into lines at CR LF, LF and a lone CR, counted in the
// encoding's code units, keeping each line's bytes and its break exactly as they are.
std::vector<TIniLine> SplitRawLines(std::string_view bytes, TTextEncoding encoding) {
    const std::size_t unit =
        encoding == TTextEncoding::Utf16LE || encoding == TTextEncoding::Utf16BE ? 2 : 1;
    auto codeAt = [&](std::size_t i) -> unsigned {
        const auto byte = [&](std::size_t k) -> unsigned {
            return static_cast<unsigned char>(bytes[k]);
        };
        if (unit == 1)
            return byte(i);
        return encoding == TTextEncoding::Utf16LE ? byte(i) | byte(i + 1) << 8
                                                  : byte(i) << 8 | byte(i + 1);
    };
    std::vector<TIniLine> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i + unit <= bytes.size()) {
        const unsigned code = codeAt(i);
        if (code != '\r' && code != '\n') {
            i += unit;
            continue;
        }
        std::size_t breakEnd = i + unit;
        if (code == '\r' && breakEnd + unit <= bytes.size() && codeAt(breakEnd) == '\n')
            breakEnd += unit;
        lines.push_back({std::string(bytes.substr(start, i - start)),
                         std::string(bytes.substr(i, breakEnd - i)),
                         {}});
        start = i = breakEnd;
    }
    if (start < bytes.size())
        lines.push_back({std::string(bytes.substr(start)), {}, {}});
    return lines;
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
    return line ? ValueOf(FLines[*line].Text) : std::u16string(defaultValue);
}

int TIniFile::WriteString(std::u16string_view section, std::u16string_view key,
                          std::u16string_view value) {
    if (const int error = Load())
        return error;
    if (const std::optional<std::size_t> found = FindKey(section, key)) {
        const std::u16string& existing = FLines[*found].Text; // the key keeps its spelling
        SetLineText(*found, existing.substr(0, existing.find(u'=') + 1) + WrittenValue(value));
    } else {
        const std::u16string line = std::u16string(key) + u"=" + WrittenValue(value);
        // After the last non-blank line of the section, or a new section at the end.
        std::optional<std::size_t> insertAt;
        for (std::size_t i = 0; i < FLines.size(); ++i) {
            const auto name = SectionName(FLines[i].Text);
            if (name && insertAt)
                break;
            if (name ? SameName(*name, section) : insertAt && !TrimBlanks(FLines[i].Text).empty())
                insertAt = i + 1;
        }
        if (insertAt) {
            InsertLine(*insertAt, line);
        } else {
            if (!FLines.empty() && !TrimBlanks(FLines.back().Text).empty())
                InsertLine(FLines.size(), u"");
            InsertLine(FLines.size(), u"[" + std::u16string(section) + u"]");
            InsertLine(FLines.size(), line);
        }
    }
    std::string bytes = MarkOf(FEncoding);
    for (const TIniLine& each : FLines)
        bytes += each.Bytes + each.Break;
    return ReplaceFileBytes(FileName(), bytes);
}

int TIniFile::Load() {
    FLoaded = true;
    FLines.clear();
    FEncoding = TTextEncoding::Ansi;
    FLineBreak = "\r\n";
    std::string bytes;
    if (const int error = ReadFileBytes(FileName(), bytes))
        return error == ENOENT ? 0 : error;
    (void)DecodeText(std::string_view(bytes).substr(0, 3), &FEncoding);
    const std::string mark = MarkOf(FEncoding);
    FLines = SplitRawLines(std::string_view(bytes).substr(mark.size()), FEncoding);
    for (TIniLine& line : FLines)
        line.Text = DecodeLine(line.Bytes);
    FLineBreak =
        FLines.empty() || FLines.front().Break.empty() ? EncodeLine(u"\r\n") : FLines.front().Break;
    return 0;
}

std::u16string TIniFile::DecodeLine(std::string_view bytes) const {
    if (FEncoding == TTextEncoding::Ansi)
        return FromAnsiCodePage(bytes);
    return DecodeText(MarkOf(FEncoding) + std::string(bytes));
}

std::string TIniFile::EncodeLine(std::u16string_view text) const {
    return EncodeText(text, FEncoding).substr(MarkOf(FEncoding).size());
}

void TIniFile::SetLineText(std::size_t index, std::u16string text) {
    FLines[index].Bytes = EncodeLine(text);
    FLines[index].Text = std::move(text);
}

void TIniFile::InsertLine(std::size_t index, std::u16string text) {
    // A last line without a break gets one before another line follows it.
    if (index > 0 && FLines[index - 1].Break.empty())
        FLines[index - 1].Break = FLineBreak;
    TIniLine line{EncodeLine(text), FLineBreak, std::move(text)};
    FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
}

void TIniFile::EnsureLoaded() {
    if (!FLoaded)
        (void)Load(); // a file that cannot be read reads as empty
}

std::optional<std::size_t> TIniFile::FindKey(std::u16string_view section,
                                             std::u16string_view key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        if (const auto name = SectionName(FLines[i].Text))
            inSection = SameName(*name, section);
        else if (inSection && SameName(KeyOf(FLines[i].Text), key) && !key.empty())
            return i;
    }
    return std::nullopt;
}

} // namespace Platform
