// The transfer rules every platform's transport shares.
#include "Plugins/Corvane/HttpTransport.h"

#include "Platform/Locale.h"

#include <string>

namespace {

std::u16string Number(std::uint64_t value) {
    return Platform::Utf8ToUtf16(std::to_string(value));
}

} // namespace

std::u16string TransferFailureText(TTransferFailure failure, const TTransferLimits& limits,
                                   std::u16string_view detail) {
    const std::u16string window = Number(static_cast<std::uint64_t>(limits.StallWindow.count()));
    std::u16string text;
    switch (failure) {
    case TTransferFailure::NameNotFound:
        text = u"server name not found";
        break;
    case TTransferFailure::ConnectionRefused:
        text = u"connection refused";
        break;
    case TTransferFailure::CertificateUntrusted:
        text = u"server certificate not trusted";
        break;
    case TTransferFailure::CertificateExpired:
        text = u"server certificate expired or not yet valid";
        break;
    case TTransferFailure::CertificateWrongName:
        text = u"server certificate issued for another name";
        break;
    case TTransferFailure::SecureChannelFailed:
        text = u"secure connection failed";
        break;
    case TTransferFailure::NoAnswer:
        text = u"no answer from the server for " + window + u" seconds";
        break;
    case TTransferFailure::Stalled:
        text = u"transfer stalled: fewer than " + Number(limits.StallMinimumBytes) + u" bytes in " +
               window + u" seconds";
        break;
    case TTransferFailure::BodyTooLarge:
        text = u"answer larger than " + Number(limits.MaxBodyBytes >> 20) + u" MB";
        break;
    case TTransferFailure::OutOfMemory:
        text = u"not enough memory for the answer";
        break;
    case TTransferFailure::ConnectionLost:
        text = u"connection closed before the answer was complete";
        break;
    case TTransferFailure::Other:
        text = u"network error";
        break;
    }
    if (!detail.empty())
        text += u" (" + std::u16string(detail) + u")";
    return text;
}

TStallWatch::TStallWatch(const TTransferLimits& limits, TClock::time_point start)
    : FLimits(limits), FWindowStart(start), FLastArrival(start) {}

std::optional<TTransferFailure> TStallWatch::Check(TClock::time_point now,
                                                   std::uint64_t bodyBytes) {
    if (bodyBytes != FLastBytes) {
        FLastBytes = bodyBytes;
        FLastArrival = now;
    }
    if (now - FLastArrival >= FLimits.StallWindow)
        return TTransferFailure::NoAnswer;
    if (now - FWindowStart < FLimits.StallWindow)
        return std::nullopt;
    const std::uint64_t arrived = bodyBytes - FBytesAtWindowStart;
    if (arrived == 0)
        return TTransferFailure::NoAnswer;
    if (arrived < FLimits.StallMinimumBytes)
        return TTransferFailure::Stalled;
    FWindowStart = now;
    FBytesAtWindowStart = bodyBytes;
    return std::nullopt;
}
