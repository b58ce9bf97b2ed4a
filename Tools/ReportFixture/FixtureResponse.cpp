#include "Tools/ReportFixture/FixtureResponse.h"

#include <stdexcept>

namespace RefHost::Fixture {

namespace {

constexpr const char* LoginPage = "<HTML><HEAD><TITLE>Logbook of the World</TITLE></HEAD>\r\n"
                                  "<BODY><P>Username/password incorrect</P></BODY></HTML>\r\n";

std::string Lower(std::string text) {
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// UTF-8 to UTF-16LE with its byte-order mark (the reports are ASCII; other bytes pass as
// Latin-1 code points, which is all a test needs).
std::string Utf16LittleEndian(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (const char c : text) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

} // namespace

TFixtureResponse MakeResponse(const std::string& form, const std::string& report) {
    TFixtureResponse response;
    response.Body = report;
    if (form == "report") {
    } else if (form == "html") {
        response.Body = LoginPage;
        response.ContentType = "text/html";
    } else if (form == "html-lower") {
        response.Body = Lower(LoginPage);
        response.ContentType = "text/html";
    } else if (form.starts_with("status:")) {
        const std::string code = form.substr(7);
        std::size_t used = 0;
        try {
            response.Status = std::stoi(code, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != code.size() || response.Status < 100 || response.Status > 999)
            throw std::invalid_argument("status:CODE takes a three-digit code, not " + code);
    } else if (form == "empty") {
        response.Body.clear();
    } else if (form == "bom-utf8") {
        response.Body = "\xEF\xBB\xBF" + report;
    } else if (form == "bom-utf16") {
        response.Body = Utf16LittleEndian(report);
    } else if (form == "chunked") {
        response.Transfer = TTransfer::Chunked;
    } else if (form == "truncate") {
        response.Transfer = TTransfer::Truncated;
    } else {
        throw std::invalid_argument("unknown answer \"" + form + "\"");
    }
    return response;
}

} // namespace RefHost::Fixture
