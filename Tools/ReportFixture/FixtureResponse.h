// FixtureResponse: what the report fixture service answers for the report path.
//
// A response is chosen by one of these forms (the --answer option):
//   report            the report file as it is (the default)
//   html              a web page with "<HTML>" in upper case, as a refused login gives
//   html-lower        the same page in lower case
//   status:CODE       the report file's text with the status CODE (any code, e.g. 500)
//   empty             status 200 with an empty body
//   bom-utf8          the report with a UTF-8 byte-order mark
//   bom-utf16         the report as UTF-16 (little-endian) with its byte-order mark
//   chunked           the report in chunked transfer encoding, a few bytes per chunk
//   truncate          the report's full length announced, half of it sent, then the
//                     connection closed
//   html:CODE         the web page with the status CODE (e.g. 401)
//   redirect:CODE     status CODE (e.g. 301, 302) pointing elsewhere, with an empty body
//   hangup            the connection closed before any answer (the service ends with it)
//   silent            nothing at all sent back, for ten minutes
//   trickle           the report in chunks of two bytes, one chunk a second
//   endless           a chunked body that never ends
//   huge-length       a length of 10^11 bytes announced, then the report and a stall
// TFixtureResponse turns the form and the report text into status, body and transfer kind.
// Throws std::invalid_argument for an unknown form. Thread-safe once built.
#pragma once

#include <string>

namespace RefHost::Fixture {

enum class TTransfer { Whole, Chunked, Truncated, Hangup, Silent, Trickle, Endless, HugeLength };

struct TFixtureResponse {
    int Status = 200;
    std::string Body;
    std::string ContentType = "text/plain";
    TTransfer Transfer = TTransfer::Whole;
    // Where a redirect points (empty: no Location header).
    std::string Location;
};

TFixtureResponse MakeResponse(const std::string& form, const std::string& report);

} // namespace RefHost::Fixture
