// HttpTransport: one blocking HTTP(S) GET of a report into memory.
//
// A transport carries exactly one request and is then released. It speaks HTTP/1.1, bounds
// every wait for network data at 90 seconds, sends no proxy or authentication and does not
// follow redirects. An https server must present a certificate that the system trusts, or that
// a "curl-ca-bundle.crt" file in the host's application folder vouches for. The HTTP status
// is not examined: any complete response counts as received. Blocks the calling thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

struct THttpResponse {
    // True when connection, request, status line, headers and body all completed.
    bool Received = false;
    // The response body's bytes (empty when nothing was received).
    std::string Body;
};

class THttpTransport {
public:
    virtual ~THttpTransport() = default;
    // GETs `address` (an http or https address) and waits for the whole response.
    virtual THttpResponse Get(std::u16string_view address) = 0;
};

// The platform's transport. `applicationFolder` is the host's application folder (no trailing
// separator), where an extra trusted certificate bundle may be found.
std::unique_ptr<THttpTransport> CreateHttpTransport(std::u16string_view applicationFolder);
