// The Win32 transport: WinHTTP, synchronous, one session per request. The server's certificate
// is checked against the system's store and, when present, "curl-ca-bundle.crt" in the host's
// application folder. WinHTTP itself knows only the system's store, so when a bundle is present
// it is told to accept an unknown authority and the transport checks the chain itself at each
// request, once the handshake is done. The request's query carries the password, and a refusal
// at that point does not stop the request everywhere, so a HEAD request without the query proves
// the server first; the real request follows on the connection it opened. WinHTTP's receive
// timeouts (for the headers and for each read) end a silent transfer; the stall rule and the
// body cap are checked between reads.
#include "Plugins/Corvane/HttpTransport.h"

#include "Platform/Files.h"
#include "Platform/Locale.h"

#include <wincrypt.h>
#include <winhttp.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

int Milliseconds(std::chrono::seconds wait) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count());
}
constexpr const wchar_t* UserAgent = L"Mozilla/4.0 (compatible; Synapse)";

std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

// Closes a WinHTTP handle when the scope ends.
class TInternetHandle {
public:
    explicit TInternetHandle(HINTERNET handle = nullptr) : FHandle(handle) {}
    ~TInternetHandle() { Close(); }
    TInternetHandle(const TInternetHandle&) = delete;
    TInternetHandle& operator=(const TInternetHandle&) = delete;

    HINTERNET Get() const { return FHandle; }
    void Close() {
        if (FHandle != nullptr)
            WinHttpCloseHandle(std::exchange(FHandle, nullptr));
    }

private:
    HINTERNET FHandle;
};

// A certificate store in memory, closed when the scope ends.
class TCertificateStore {
public:
    TCertificateStore()
        : FStore(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr)) {
    }
    ~TCertificateStore() {
        if (FStore != nullptr)
            CertCloseStore(FStore, 0);
    }
    TCertificateStore(const TCertificateStore&) = delete;
    TCertificateStore& operator=(const TCertificateStore&) = delete;

    HCERTSTORE Get() const { return FStore; }

    // Adds every PEM certificate of `pem`; false when it holds none that could be read.
    bool AddPem(std::string_view pem) {
        constexpr std::string_view Begin = "-----BEGIN CERTIFICATE-----";
        constexpr std::string_view End = "-----END CERTIFICATE-----";
        bool added = false;
        for (std::size_t start = pem.find(Begin); start != pem.npos;
             start = pem.find(Begin, start)) {
            const std::size_t end = pem.find(End, start);
            if (end == pem.npos)
                break;
            const std::string_view block = pem.substr(start, end + End.size() - start);
            start = end + End.size();
            DWORD size = 0;
            if (!CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                                      CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
                continue;
            std::vector<BYTE> der(size);
            if (CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                                     CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                                     nullptr) &&
                CertAddEncodedCertificateToStore(FStore, X509_ASN_ENCODING, der.data(), size,
                                                 CERT_STORE_ADD_USE_EXISTING, nullptr))
                added = true;
        }
        return added;
    }

    bool Holds(PCCERT_CONTEXT certificate) const {
        PCCERT_CONTEXT found = CertFindCertificateInStore(FStore, X509_ASN_ENCODING, 0,
                                                          CERT_FIND_EXISTING, certificate, nullptr);
        if (found == nullptr)
            return false;
        CertFreeCertificateContext(found);
        return true;
    }

private:
    HCERTSTORE FStore;
};

// The four bytes of a dotted IPv4 address, or nothing when `host` is a name.
std::optional<std::array<BYTE, 4>> Ipv4Address(std::wstring_view host) {
    std::array<BYTE, 4> address{};
    std::size_t part = 0;
    unsigned value = 0;
    std::size_t digits = 0;
    for (const wchar_t c : host) {
        if (c >= L'0' && c <= L'9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(c - L'0');
            ++digits;
        } else if (c == L'.' && digits > 0 && part < 3 && value <= 255) {
            address[part++] = static_cast<BYTE>(value);
            value = 0;
            digits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (part != 3 || digits == 0 || value > 255)
        return std::nullopt;
    address[3] = static_cast<BYTE>(value);
    return address;
}

// Whether the certificate's subject alternative names list the IP address `address`.
bool NamesAddress(PCCERT_CONTEXT certificate, const std::array<BYTE, 4>& address) {
    const CERT_INFO& info = *certificate->pCertInfo;
    const CERT_EXTENSION* extension =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, info.cExtension, info.rgExtension);
    if (extension == nullptr)
        return false;
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names,
                             &size))
        return false;
    bool found = false;
    for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
        found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
                entry.IPAddress.cbData == address.size() &&
                std::equal(address.begin(), address.end(), entry.IPAddress.pbData);
    }
    LocalFree(names);
    return found;
}

// Why the server's certificate is refused, or nothing when it chains to a root that the system
// trusts or that the bundle holds and is valid for `host` today. An IP address is looked up
// among the certificate's alternative names here, since not every system's name check knows
// them.
std::optional<TTransferFailure> CertificateFault(PCCERT_CONTEXT certificate,
                                                 const TCertificateStore& bundle,
                                                 const std::wstring& host) {
    const std::optional<std::array<BYTE, 4>> address = Ipv4Address(host);
    if (address && !NamesAddress(certificate, *address))
        return TTransferFailure::CertificateWrongName;
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, bundle.Get(), &chainPara, 0,
                                 nullptr, &chain))
        return TTransferFailure::CertificateUntrusted;
    std::optional<TTransferFailure> fault = TTransferFailure::CertificateUntrusted;
    if (chain->cChain > 0 && chain->rgpChain[0]->cElement > 0) {
        const CERT_SIMPLE_CHAIN& simple = *chain->rgpChain[0];
        PCCERT_CONTEXT root = simple.rgpElement[simple.cElement - 1]->pCertContext;
        const bool rootInBundle = bundle.Holds(root);
        // Every link must be sound; only the root may be unknown to the system, and only when
        // the bundle holds it.
        const DWORD errors = chain->TrustStatus.dwErrorStatus;
        const bool chainSound = errors == CERT_TRUST_NO_ERROR ||
                                (errors == CERT_TRUST_IS_UNTRUSTED_ROOT && rootInBundle);
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.fdwChecks = (rootInBundle ? SECURITY_FLAG_IGNORE_UNKNOWN_CA : 0u) |
                        (address ? SECURITY_FLAG_IGNORE_CERT_CN_INVALID : 0u);
        ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
        CERT_CHAIN_POLICY_PARA policyPara{};
        policyPara.cbSize = sizeof policyPara;
        policyPara.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS status{};
        status.cbSize = sizeof status;
        const bool timeValid = (errors & CERT_TRUST_IS_NOT_TIME_VALID) == 0;
        // The policy runs on a sound chain only.
        const bool policyRan =
            chainSound &&
            CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status);
        if (!timeValid || (policyRan && status.dwError == static_cast<DWORD>(CERT_E_EXPIRED)))
            fault = TTransferFailure::CertificateExpired;
        else if (policyRan && status.dwError == 0)
            fault = std::nullopt;
        else if (policyRan && status.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH))
            fault = TTransferFailure::CertificateWrongName;
    }
    CertFreeCertificateChain(chain);
    return fault;
}

// The failure a WinHTTP error code stands for.
TTransferFailure ClassifyFailure(DWORD error) {
    switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return TTransferFailure::NameNotFound;
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return TTransferFailure::ConnectionRefused;
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        return TTransferFailure::CertificateExpired;
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        return TTransferFailure::CertificateWrongName;
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
        return TTransferFailure::CertificateUntrusted;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        return TTransferFailure::SecureChannelFailed;
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT: // Wine passes its socket's timeout on as it is
        return TTransferFailure::NoAnswer;
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case WSAECONNRESET:
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return TTransferFailure::ConnectionLost;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return TTransferFailure::OutOfMemory;
    default:
        return TTransferFailure::Other;
    }
}

// The failure WinHTTP's report of a refused certificate stands for.
TTransferFailure ClassifySecureFailure(DWORD flags) {
    if ((flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID) != 0)
        return TTransferFailure::CertificateExpired;
    if ((flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID) != 0)
        return TTransferFailure::CertificateWrongName;
    if ((flags &
         (WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA | WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT |
          WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED |
          WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED)) != 0)
        return TTransferFailure::CertificateUntrusted;
    return TTransferFailure::SecureChannelFailed;
}

// The announced Content-Length of a response, or nothing when none (or no number) was sent.
std::optional<std::uint64_t> ContentLength(HINTERNET request) {
    wchar_t text[32] = {};
    DWORD size = sizeof text;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                             text, &size, WINHTTP_NO_HEADER_INDEX))
        return std::nullopt;
    std::string digits;
    for (const wchar_t* c = text; *c != L'\0'; ++c)
        if (*c != L' ')
            digits += *c >= L'0' && *c <= L'9' ? static_cast<char>(*c) : 'x';
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return length;
}

class TWinHttpTransport final : public THttpTransport {
public:
    TWinHttpTransport(std::u16string bundlePath, const TTransferLimits& limits)
        : FBundlePath(std::move(bundlePath)), FLimits(limits) {}

    THttpResponse Get(std::u16string_view address) override {
        THttpResponse response;
        FFailure.reset();
        FStatus = 0;
        FError = 0;
        response.Received = Transfer(ToWide(address), response.Body);
        response.Status = FStatus;
        if (!response.Received) {
            response.Body.clear();
            const TTransferFailure failure = FFailure.value_or(TTransferFailure::Other);
            const std::u16string detail =
                failure == TTransferFailure::Other && FError != 0
                    ? u"error " + Platform::Utf8ToUtf16(std::to_string(FError))
                    : std::u16string();
            response.Failure = TransferFailureText(failure, FLimits, detail);
        }
        return response;
    }

private:
    struct TTarget {
        std::wstring Host;
        std::wstring Path;
        std::wstring PathAndQuery;
        INTERNET_PORT Port = 0;
        bool Secure = false;
    };

    static bool Crack(const std::wstring& address, TTarget& target) {
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        parts.dwSchemeLength = static_cast<DWORD>(-1);
        if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts))
            return false;
        if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
            return false;
        target.Host.assign(parts.lpszHostName, parts.dwHostNameLength);
        target.Path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
        if (target.Path.empty())
            target.Path = L"/";
        target.PathAndQuery = target.Path;
        target.PathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        target.Port = parts.nPort;
        target.Secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        return !target.Host.empty();
    }

    bool Transfer(const std::wstring& address, std::string& body) {
        TTarget target;
        if (!Crack(address, target))
            return false;
        TInternetHandle session(WinHttpOpen(UserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                            WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        // A wait for the server is bounded by the connection limit; a read that brings nothing for
        // the stall window ends the transfer.
        if (session.Get() == nullptr ||
            !WinHttpSetTimeouts(
                session.Get(), Milliseconds(FLimits.ConnectWait), Milliseconds(FLimits.ConnectWait),
                Milliseconds(FLimits.ConnectWait), Milliseconds(FLimits.StallWindow)))
            return FailWithLastError();
        TInternetHandle connection(
            WinHttpConnect(session.Get(), target.Host.c_str(), target.Port, 0));
        if (connection.Get() == nullptr)
            return FailWithLastError();
        FHost = target.Host;
        FCheckServer = target.Secure && !FBundlePath.empty();
        if (FCheckServer && !LoadBundle())
            return Fail(TTransferFailure::SecureChannelFailed);
        if (FCheckServer &&
            !Exchange(connection.Get(), L"HEAD", target.Path, target.Secure, nullptr))
            return false;
        return Exchange(connection.Get(), L"GET", target.PathAndQuery, target.Secure, &body);
    }

    // One request on `connection` and its response, whose body goes to `body` when given.
    bool Exchange(HINTERNET connection, const wchar_t* verb, const std::wstring& object,
                  bool secure, std::string* body) {
        TInternetHandle request(WinHttpOpenRequest(connection, verb, object.c_str(), nullptr,
                                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                   secure ? WINHTTP_FLAG_SECURE : 0));
        if (request.Get() == nullptr || !Configure(request.Get()))
            return FailWithLastError();
        const bool sent =
            WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                               WINHTTP_NO_REQUEST_DATA, 0, 0, reinterpret_cast<DWORD_PTR>(this));
        if (FFailure)
            return false; // the server's certificate was refused
        if (!sent || !WinHttpReceiveResponse(request.Get(), nullptr))
            return FailWithLastError();
        if (FFailure)
            return false;
        DWORD status = 0;
        DWORD size = sizeof status;
        if (WinHttpQueryHeaders(
                request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
            FStatus = static_cast<long>(status);
        return body == nullptr || ReadBody(request.Get(), *body);
    }

    bool LoadBundle() {
        std::string pem;
        return Platform::ReadFileBytes(FBundlePath, pem) == 0 && FBundle.AddPem(pem);
    }

    bool Configure(HINTERNET request) {
        DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
        if (!WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never))
            return false;
        // The wait for the response's headers has a limit of its own (90 s on Windows, none
        // under Wine); a server that stays silent after the request is ended by the stall window.
        DWORD headersWait = static_cast<DWORD>(Milliseconds(FLimits.StallWindow));
        if (!WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersWait,
                              sizeof headersWait))
            return false;
        // The bundle may vouch for an authority the system does not know: WinHTTP lets such a
        // chain (and a name it may not know how to match) through, and CheckServer decides.
        DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
        if (FCheckServer &&
            !WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags))
            return false;
        return WinHttpSetStatusCallback(request, &TWinHttpTransport::OnStatus,
                                        WINHTTP_CALLBACK_FLAG_SEND_REQUEST |
                                            WINHTTP_CALLBACK_FLAG_SECURE_FAILURE,
                                        0) != WINHTTP_INVALID_STATUS_CALLBACK;
    }

    static void CALLBACK OnStatus(HINTERNET request, DWORD_PTR context, DWORD status,
                                  void* information, DWORD) {
        if (context == 0)
            return;
        auto* transport = reinterpret_cast<TWinHttpTransport*>(context);
        if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && information != nullptr)
            transport->FFailure = ClassifySecureFailure(*static_cast<DWORD*>(information));
        else if (status == WINHTTP_CALLBACK_STATUS_SENDING_REQUEST && transport->FCheckServer)
            transport->CheckServer(request);
    }

    // Records why the server's certificate is refused, if it is.
    void CheckServer(HINTERNET request) {
        PCCERT_CONTEXT certificate = nullptr;
        DWORD size = sizeof certificate;
        if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) ||
            certificate == nullptr) {
            FFailure = TTransferFailure::CertificateUntrusted;
            return;
        }
        if (const auto fault = CertificateFault(certificate, FBundle, FHost))
            FFailure = fault;
        CertFreeCertificateContext(certificate);
    }

    // Reads the body under the stall rule and the cap. A body of announced length is received
    // into one allocation; an announcement beyond the cap ends the transfer at once, and a body
    // that ends before its announced length is no answer.
    bool ReadBody(HINTERNET request, std::string& body) {
        const std::uint64_t cap = FLimits.MaxBodyBytes;
        const std::optional<std::uint64_t> length = ContentLength(request);
        if (length) {
            if (*length > cap)
                return Fail(TTransferFailure::BodyTooLarge);
            try {
                body.reserve(static_cast<std::size_t>(*length));
            } catch (const std::exception&) {
                // Only no help: the body grows as it comes.
            }
        }
        // At the end, a body shorter than announced was cut off.
        const auto complete = [&] {
            return !length || body.size() >= *length || Fail(TTransferFailure::ConnectionLost);
        };
        TStallWatch stallWatch(FLimits, TStallWatch::TClock::now());
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request, &available))
                return FailWithLastError();
            if (available == 0)
                return complete();
            if (body.size() + available > cap)
                return Fail(TTransferFailure::BodyTooLarge);
            const std::size_t start = body.size();
            try {
                body.resize(start + available);
            } catch (const std::exception&) {
                return Fail(TTransferFailure::OutOfMemory);
            }
            DWORD read = 0;
            if (!WinHttpReadData(request, body.data() + start, available, &read))
                return FailWithLastError();
            body.resize(start + read);
            if (read == 0) // the end, however much was said to be available
                return complete();
            if (const auto stalled = stallWatch.Check(TStallWatch::TClock::now(), body.size()))
                return Fail(*stalled);
        }
    }

    // Records why the transfer ends (unless a cause is known already); false.
    bool Fail(TTransferFailure failure) {
        if (!FFailure)
            FFailure = failure;
        return false;
    }

    bool FailWithLastError() {
        FError = GetLastError();
        return Fail(ClassifyFailure(FError));
    }

    std::u16string FBundlePath;
    TTransferLimits FLimits;
    TCertificateStore FBundle;
    // The request under way: its host, whether the transport checks its certificate itself,
    // its HTTP status, why it failed and WinHTTP's last error.
    std::wstring FHost;
    bool FCheckServer = false;
    long FStatus = 0;
    std::optional<TTransferFailure> FFailure;
    DWORD FError = 0;
};

} // namespace

std::unique_ptr<THttpTransport> CreateHttpTransport(std::u16string_view applicationFolder,
                                                    const TTransferLimits& limits) {
    const std::u16string bundle = std::u16string(applicationFolder) + u"\\curl-ca-bundle.crt";
    const bool hasBundle = !applicationFolder.empty() && Platform::FileExists(bundle);
    return std::make_unique<TWinHttpTransport>(hasBundle ? bundle : std::u16string(), limits);
}
