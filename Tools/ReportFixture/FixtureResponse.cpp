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

// A status code of three digits.
int StatusCode(const std::string& code) {
    std::size_t used = 0;
    int status = 0;
    try {
        status = std::stoi(code, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != code.size() || status < 100 || status > 999)
        throw std::invalid_argument("the status takes a three-digit code, not " + code);
    return status;
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
        response.Status = StatusCode(form.substr(7));
    } else if (form.starts_with("html:")) {
        response.Status = StatusCode(form.substr(5));
        response.Body = LoginPage;
        response.ContentType = "text/html";
    } else if (form.starts_with("redirect:")) {
        response.Status = StatusCode(form.substr(9));
        response.Body.clear();
        response.Location = "/lotwuser/moved.adi";
    } else if (form == "hangup") {
        response.Transfer = TTransfer::Hangup;
    } else if (form == "silent") {
        response.Transfer = TTransfer::Silent;
    } else if (form == "trickle") {
        response.Transfer = TTransfer::Trickle;
    } else if (form == "endless") {
        response.Transfer = TTransfer::Endless;
    } else if (form == "huge-length") {
        response.Transfer = TTransfer::HugeLength;
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
