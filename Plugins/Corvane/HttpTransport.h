// HttpTransport: one blocking HTTP(S) GET of a report into memory.
//
// A transport carries exactly one request and is then released. It speaks HTTP/1.1, sends no
// proxy or authentication and does not follow redirects. An https server must present a
// certificate that the system trusts, or that a "curl-ca-bundle.crt" file in the host's
// application folder vouches for. Every platform's transport applies the same transfer rules,
// which live here: a wait for a connection is bounded, a transfer that brings fewer than
// StallMinimumBytes in StallWindow ends (a silent server and a trickling one alike), and a body
// longer than MaxBodyBytes ends the transfer without ever being held. A transport that fails
// says why in the user's words (TransferFailureText). Any complete response counts as
// received, whatever its HTTP status. Blocks the calling thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The limits a transfer is held to. The defaults are the rules; tests may narrow them.
struct TTransferLimits {
    // The longest wait for a connection (and its TLS handshake).
    std::chrono::seconds ConnectWait{90};
    // Fewer than StallMinimumBytes of body within any StallWindow end the transfer: a slow
    // modem passes, a server that trickles a few bytes a second or says nothing does not.
    std::chrono::seconds StallWindow{90};
    std::uint64_t StallMinimumBytes = 1000;
    // Far above the largest real report (a million records are some 280 MB).
    std::uint64_t MaxBodyBytes = std::uint64_t{512} << 20;
};

// Why a transfer failed, as far as a transport can tell.
enum class TTransferFailure {
    NameNotFound,
    ConnectionRefused,
    CertificateUntrusted,
    CertificateExpired,
    CertificateWrongName,
    SecureChannelFailed,
    NoAnswer,       // nothing arrived for StallWindow
    Stalled,        // data arrived, but fewer than StallMinimumBytes within StallWindow
    BodyTooLarge,   // more than MaxBodyBytes announced or sent
    OutOfMemory,    // no memory to hold the body
    ConnectionLost, // closed or reset before the response was complete
    Other,
};

// The cause as the user reads it, for example "connection refused by the server". `detail`,
// when not empty, is added in parentheses (a transport's own words for an Other failure).
std::u16string TransferFailureText(TTransferFailure failure, const TTransferLimits& limits,
                                   std::u16string_view detail = {});

// The stall rule over a transfer's progress: feed it the body bytes received so far as time
// goes on; it names the failure once StallWindow has passed without a byte, or once a whole
// window (counted from the start, then window by window) has brought fewer than
// StallMinimumBytes.
class TStallWatch {
public:
    using TClock = std::chrono::steady_clock;

    TStallWatch(const TTransferLimits& limits, TClock::time_point start);

    // NoAnswer (nothing in the window), Stalled (too little), or nullopt while the data flows.
    std::optional<TTransferFailure> Check(TClock::time_point now, std::uint64_t bodyBytes);

private:
    TTransferLimits FLimits;
    TClock::time_point FWindowStart;
    std::uint64_t FBytesAtWindowStart = 0;
    TClock::time_point FLastArrival;
    std::uint64_t FLastBytes = 0;
};

struct THttpResponse {
    // True when connection, request, status line, headers and body all completed.
    bool Received = false;
    // The response body's bytes (empty when nothing was received).
    std::string Body;
    // The response's HTTP status code; 0 when no status line arrived.
    long Status = 0;
    // When nothing was received: why, in the user's words (TransferFailureText).
    std::u16string Failure;
};

class THttpTransport {
public:
    virtual ~THttpTransport() = default;
    // GETs `address` (an http or https address) and waits for the whole response.
    virtual THttpResponse Get(std::u16string_view address) = 0;
};

// The platform's transport. `applicationFolder` is the host's application folder (no trailing
// separator), where an extra trusted certificate bundle may be found.
std::unique_ptr<THttpTransport> CreateHttpTransport(std::u16string_view applicationFolder,
                                                    const TTransferLimits& limits = {});
