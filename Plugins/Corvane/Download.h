// Download: the LoTW report request and its transfer into text lines.
//
// RequestAddress builds the report query from the dialog's input; DownloadInbox fetches it
// with one blocking GET through a fresh transport and decodes the body into lines, writing the
// dialog's status pane meanwhile. FetchInbox and ForEachBodyLine are the same in two steps, for
// a reader that takes the lines one at a time instead of holding them all. Telling a report
// from a web page is the run's business.
#pragma once

#include "Plugins/Corvane/ADIF.h"
#include "Plugins/Corvane/HttpTransport.h"
#include "Plugins/Corvane/VerificationView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Makes the transport for one request; gets the host's application folder.
using THttpTransportFactory =
    std::function<std::unique_ptr<THttpTransport>(std::u16string_view applicationFolder)>;

// `value` with every character outside A-Z a-z 0-9 - . _ ~ written as %XX of its UTF-8 bytes.
std::u16string PercentEncode(std::u16string_view value);

// The report request: the resource address, then login, password, the fixed report options,
// the operator call sign and the dates of the date fields whose text is not blank. Login,
// password and call sign are percent-encoded.
std::u16string RequestAddress(std::u16string_view resource, std::u16string_view login,
                              std::u16string_view password, std::u16string_view operatorCall,
                              const TDateFieldValue& from, const TDateFieldValue& until);

// A response body as lines: a UTF-8 or UTF-16 (LE or BE) byte-order mark selects that
// encoding, else the ANSI code page; invalid bytes become U+FFFD. Lines end at CR LF, LF or a
// lone CR; a break at the very end adds no empty line.
TStringList DecodeBody(std::string_view body);

// Hands each line of DecodeBody(body) to `takeLine`, in order, without holding the lines; the
// view lasts until `takeLine` returns.
void ForEachBodyLine(std::string_view body,
                     const std::function<void(std::u16string_view line)>& takeLine);

// Whether a line of DecodeBody(body) holds `text` (ASCII without line breaks), exactly as
// written. Decodes only a UTF-16 body.
bool BodyTextHolds(std::string_view body, std::string_view text);

// Whether a request to `resource` carries the password without encryption (an http address),
// and the progress line that warns of it.
bool SendsPasswordInClear(std::u16string_view resource);
inline constexpr std::u16string_view ClearPasswordWarning =
    u"Warning: the password travels unencrypted (http)";

// The status rule for a received response: a web page passes whatever its status (the run
// takes it for a refused login); any other answer outside 2xx (an error text, a redirect) is no
// report, and becomes a failure that names its status.
void CheckResponseStatus(THttpResponse& response);

// DownloadInbox without the decoding: the response after CheckResponseStatus; when it was not
// received, its Failure says why. The status pane as for DownloadInbox.
THttpResponse FetchInbox(TVerificationView& view, const THttpTransportFactory& createTransport,
                         std::u16string_view address);

// Fetches `address` and, when a response arrived that passes CheckResponseStatus, replaces
// `lines` with its body's lines and returns true; returns false (lines untouched) otherwise. The
// host's "APPPATH" value is handed to `createTransport`. The status pane reads "Trying to load
// data..." during the transfer and is cleared on every path, errors included.
bool DownloadInbox(TVerificationView& view, const THttpTransportFactory& createTransport,
                   std::u16string_view address, TStringList& lines);
