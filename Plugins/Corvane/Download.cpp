#include "Plugins/Corvane/Download.h"

#include "Platform/Locale.h"
#include "Plugins/Corvane/HostCalls.h"
#include "Plugins/Corvane/uCommFunc.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEMark = "\xFF\xFE";
constexpr std::string_view Utf16BEMark = "\xFE\xFF";

// Where the line that begins at `start` ends (its CR or LF, or the end of `bytes`); clears
// `ascii` when a byte before that is not ASCII. Eight bytes are looked at a time until the
// line break is among them.
std::size_t LineEnd(std::string_view bytes, std::size_t start, bool& ascii) {
    constexpr std::uint64_t Ones = 0x0101010101010101;
    constexpr std::uint64_t HighBits = 0x8080808080808080;
    // Whether one of the eight bytes of `word` is zero.
    auto anyZeroByte = [](std::uint64_t word) {
        return ((word - Ones) & ~word & HighBits) != 0;
    };
    std::uint64_t seen = 0;
    std::size_t end = start;
    for (; end + sizeof seen <= bytes.size(); end += sizeof seen) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + end, sizeof word);
        if (anyZeroByte(word ^ ('\r' * Ones)) || anyZeroByte(word ^ ('\n' * Ones)))
            break;
        seen |= word;
    }
    for (; end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n'; ++end)
        seen |= static_cast<unsigned char>(bytes[end]);
    ascii = (seen & HighBits) == 0;
    return end;
}

bool IsUtf16(std::string_view body) {
    return body.starts_with(Utf16LEMark) || body.starts_with(Utf16BEMark);
}

void ClearStatus(TVerificationView& view) {
    view.SetStatusText(u"");
    view.ProcessMessages();
}

} // namespace

std::u16string PercentEncode(std::u16string_view value) {
    static constexpr char16_t HexDigits[] = u"0123456789ABCDEF";
    std::u16string encoded;
    for (const char octet : Platform::Utf16ToUtf8(value)) {
        const auto c = static_cast<unsigned char>(octet);
        if (IsUnreserved(c)) {
            encoded += static_cast<char16_t>(c);
        } else {
            encoded += u'%';
            encoded += HexDigits[c >> 4];
            encoded += HexDigits[c & 0x0F];
        }
    }
    return encoded;
}

std::u16string RequestAddress(std::u16string_view resource, std::u16string_view login,
                              std::u16string_view password, std::u16string_view operatorCall,
                              const TDateFieldValue& from, const TDateFieldValue& until) {
    std::u16string address(resource);
    address += u"?login=" + PercentEncode(login);
    address += u"&password=" + PercentEncode(password);
    address += u"&qso_query=1&qso_qsl=no&qso_qsldetail=yes";
    address += u"&qso_owncall=" + PercentEncode(operatorCall);
    if (!IsBlank(from.Text))
        address += u"&qso_startdate=" + FormatIsoDate(from.Date);
    if (!IsBlank(until.Text))
        address += u"&qso_enddate=" + FormatIsoDate(until.Date);
    return address;
}

TStringList DecodeBody(std::string_view body) {
    TStringList lines;
    ForEachBodyLine(body, [&lines](std::u16string_view line) { lines.emplace_back(line); });
    return lines;
}

void ForEachBodyLine(std::string_view body,
                     const std::function<void(std::u16string_view line)>& takeLine) {
    // A UTF-16 body is decoded whole; its line breaks are known only after decoding.
    if (IsUtf16(body)) {
        for (const std::u16string& line : Platform::SplitLines(Platform::DecodeText(body)))
            takeLine(line);
        return;
    }
    // In UTF-8 and in the ANSI code pages CR and LF are single bytes that never belong to
    // another character, and an ASCII byte stands for itself: a line's bytes decode alone to
    // what they give inside the whole text, and a line of ASCII bytes needs no decoder.
    const bool utf8 = body.starts_with(Utf8Mark);
    if (utf8)
        body.remove_prefix(Utf8Mark.size());
    std::u16string decoded;
    std::size_t start = 0;
    while (start < body.size()) {
        bool ascii = true;
        const std::size_t end = LineEnd(body, start, ascii);
        const std::string_view bytes = body.substr(start, end - start);
        if (ascii) {
            decoded.resize(bytes.size());
            for (std::size_t i = 0; i < bytes.size(); ++i)
                decoded[i] = static_cast<char16_t>(bytes[i]);
        } else {
            decoded = utf8 ? Platform::Utf8ToUtf16(bytes) : Platform::FromAnsiCodePage(bytes);
        }
        takeLine(decoded);
        start = end + (body.substr(end, 2) == "\r\n" ? 2 : 1);
    }
}

bool BodyTextHolds(std::string_view body, std::string_view text) {
    // In UTF-8 and in the ANSI code pages an ASCII character is the same single byte wherever
    // it stands: the bytes hold the text exactly when a decoded line does.
    if (!IsUtf16(body))
        return body.find(text) != std::string_view::npos;
    const std::u16string wide(text.begin(), text.end());
    bool found = false;
    ForEachBodyLine(body, [&](std::u16string_view line) {
        found = found || line.find(wide) != std::u16string_view::npos;
    });
    return found;
}

std::optional<std::string> FetchInbox(TVerificationView& view,
                                      const THttpTransportFactory& createTransport,
                                      std::u16string_view address) {
    const std::u16string applicationFolder = GetHostValue(view.HostKernel(), u"APPPATH");
    std::unique_ptr<THttpTransport> transport = createTransport(applicationFolder);
    try {
        view.SetStatusText(u"Trying to load data...");
        view.ProcessMessages();
        THttpResponse response = transport->Get(address);
        transport.reset();
        ClearStatus(view);
        if (!response.Received)
            return std::nullopt;
        return std::move(response.Body);
    } catch (...) {
        transport.reset();
        ClearStatus(view);
        throw;
    }
}

bool DownloadInbox(TVerificationView& view, const THttpTransportFactory& createTransport,
                   std::u16string_view address, TStringList& lines) {
    const std::optional<std::string> body = FetchInbox(view, createTransport, address);
    if (!body)
        return false;
    lines = DecodeBody(*body);
    return true;
}
