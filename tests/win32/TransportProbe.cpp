// TransportProbe: one GET through the platform's transport, for the transport test
// (transport-test.sh), which runs it under Wine against the loopback report service.
//
// Usage: TransportProbe ADDRESS APPLICATION-FOLDER. Prints "received" and the body's bytes, or
// "not received"; exits 0 either way, 2 on a usage error.
#include "Platform/Locale.h"
#include "Plugins/Corvane/HttpTransport.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: TransportProbe ADDRESS APPLICATION-FOLDER\n", stderr);
        return 2;
    }
    const THttpResponse response =
        CreateHttpTransport(Platform::Utf8ToUtf16(argv[2]))->Get(Platform::Utf8ToUtf16(argv[1]));
    if (!response.Received) {
        std::fputs("not received\n", stdout);
        return 0;
    }
    std::fputs("received\n", stdout);
    std::fwrite(response.Body.data(), 1, response.Body.size(), stdout);
    return 0;
}
