#include "Plugins/Corvane/Download.h"

#include "Platform/Locale.h"
#include "Plugins/Corvane/HostCalls.h"
#include "Plugins/Corvane/uCommFunc.h"

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
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
    return Platform::SplitLines(Platform::DecodeText(body));
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
