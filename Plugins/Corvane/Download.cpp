#include "Plugins/Corvane/Download.h"

#include "Platform/Locale.h"
#include "Plugins/Corvane/HostCalls.h"
#include "Plugins/Corvane/uCommFunc.h"

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    if (bytes.size() % 2 != 0)
        text += u'\uFFFD';
    return text;
}

std::u16string DecodeText(std::string_view body) {
    if (body.starts_with("\xEF\xBB\xBF"))
        return Platform::Utf8ToUtf16(body.substr(3));
    if (body.starts_with("\xFF\xFE"))
        return DecodeUtf16(body.substr(2), false);
    if (body.starts_with("\xFE\xFF"))
        return DecodeUtf16(body.substr(2), true);
    return Platform::FromAnsiCodePage(body);
}

void ClearStatus(TVerificationView& view) {
    view.SetStatusText(u"");
    view.ProcessMessages();
}

} // namespace

std::u16string PercentEncode(std::u16string_view value) {
    static constexpr char16_t HexDigits[] = u"0123456789ABCDEF";
    std::u16string encoded;
    for (const char byte : Platform::Utf16ToUtf8(value)) {
        const auto c = static_cast<unsigned char>(byte);
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
    const std::u16string text = DecodeText(body);
    TStringList lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

bool DownloadInbox(TVerificationView& view, const THttpTransportFactory& createTransport,
                   std::u16string_view address, TStringList& lines) {
    const std::u16string applicationFolder = GetHostValue(view.HostKernel(), u"APPPATH");
    std::unique_ptr<THttpTransport> transport = createTransport(applicationFolder);
    try {
        view.SetStatusText(u"Trying to load data...");
        view.ProcessMessages();
        THttpResponse response = transport->Get(address);
        if (response.Received)
            lines = DecodeBody(response.Body);
        transport.reset();
        ClearStatus(view);
        return response.Received;
    } catch (...) {
        transport.reset();
        ClearStatus(view);
        throw;
    }
}
