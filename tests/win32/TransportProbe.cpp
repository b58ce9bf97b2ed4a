// TransportProbe: one GET through the platform's transport and the download's status rule, for
// the transport test (transport-test.sh), which runs it under Wine against the loopback report
// service.
//
// Usage: TransportProbe ADDRESS APPLICATION-FOLDER [STALL-WINDOW-SECONDS]. Prints "received"
// and the body's bytes, or "not received" and the failure's text on the next line; exits 0
// either way, 2 on a usage error. The stall window narrows the transfer limits so that a stall
// ends in seconds.
#include "Platform/Locale.h"
#include "Plugins/Corvane/Download.h"
#include "Plugins/Corvane/HttpTransport.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fputs("usage: TransportProbe ADDRESS APPLICATION-FOLDER [STALL-WINDOW-SECONDS]\n",
                   stderr);
        return 2;
    }
    TTransferLimits limits;
    if (argc == 4)
        limits.StallWindow = std::chrono::seconds(std::atoi(argv[3]));
    THttpResponse response = CreateHttpTransport(Platform::Utf8ToUtf16(argv[2]), limits)
                                 ->Get(Platform::Utf8ToUtf16(argv[1]));
    CheckResponseStatus(response);
    if (!response.Received) {
        std::printf("not received\n%s\n", Platform::Utf16ToUtf8(response.Failure).c_str());
        return 0;
    }
    std::fputs("received\n", stdout);
    std::fwrite(response.Body.data(), 1, response.Body.size(), stdout);
    return 0;
}
