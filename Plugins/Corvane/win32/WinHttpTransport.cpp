// The Win32 transport: WinHTTP, synchronous, one session per request. The server's certificate
// is checked against the system's store and, when present, "curl-ca-bundle.crt" in the host's
// application folder. WinHTTP itself knows only the system's store, so when a bundle is present
// it is told to accept an unknown authority and the transport checks the chain itself, after the
// handshake and before a byte of the request (which carries the password) is sent.
#include "Plugins/Corvane/HttpTransport.h"

#include "Platform/Files.h"

#include <wincrypt.h>
#include <winhttp.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int NetworkWaitMilliseconds = 90 * 1000;
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

// Whether the server's certificate chains to a root that the system trusts or that the bundle
// holds, and is valid for `host` today.
bool ServerTrusted(PCCERT_CONTEXT certificate, const TCertificateStore& bundle,
                   const std::wstring& host) {
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, bundle.Get(), &chainPara, 0,
                                 nullptr, &chain))
        return false;
    bool trusted = false;
    if (chain->cChain > 0 && chain->rgpChain[0]->cElement > 0) {
        const CERT_SIMPLE_CHAIN& simple = *chain->rgpChain[0];
        PCCERT_CONTEXT root = simple.rgpElement[simple.cElement - 1]->pCertContext;
        const bool rootInBundle = bundle.Holds(root);
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.fdwChecks = rootInBundle ? SECURITY_FLAG_IGNORE_UNKNOWN_CA : 0;
        ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
        CERT_CHAIN_POLICY_PARA policyPara{};
        policyPara.cbSize = sizeof policyPara;
        policyPara.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS status{};
        status.cbSize = sizeof status;
        trusted =
            CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status) &&
            status.dwError == 0;
    }
    CertFreeCertificateChain(chain);
    return trusted;
}

class TWinHttpTransport final : public THttpTransport {
public:
    explicit TWinHttpTransport(std::u16string bundlePath) : FBundlePath(std::move(bundlePath)) {}

    THttpResponse Get(std::u16string_view address) override {
        THttpResponse response;
        response.Received = Transfer(ToWide(address), response.Body);
        if (!response.Received)
            response.Body.clear();
        return response;
    }

private:
    struct TTarget {
        std::wstring Host;
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
        target.PathAndQuery.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
        target.PathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        if (target.PathAndQuery.empty())
            target.PathAndQuery = L"/";
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
        if (session.Get() == nullptr ||
            !WinHttpSetTimeouts(session.Get(), NetworkWaitMilliseconds, NetworkWaitMilliseconds,
                                NetworkWaitMilliseconds, NetworkWaitMilliseconds))
            return false;
        TInternetHandle connection(
            WinHttpConnect(session.Get(), target.Host.c_str(), target.Port, 0));
        if (connection.Get() == nullptr)
            return false;
        TInternetHandle request(WinHttpOpenRequest(
            connection.Get(), L"GET", target.PathAndQuery.c_str(), nullptr, WINHTTP_NO_REFERER,
            WINHTTP_DEFAULT_ACCEPT_TYPES, target.Secure ? WINHTTP_FLAG_SECURE : 0));
        if (request.Get() == nullptr || !Configure(request.Get(), target))
            return false;
        FHost = target.Host;
        FRefused = false;
        if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                WINHTTP_NO_REQUEST_DATA, 0, 0, reinterpret_cast<DWORD_PTR>(this)) ||
            FRefused || !WinHttpReceiveResponse(request.Get(), nullptr))
            return false;
        return ReadBody(request.Get(), body);
    }

    bool Configure(HINTERNET request, const TTarget& target) {
        DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
        if (!WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never))
            return false;
        DWORD http11 = 0;
        WinHttpSetOption(request, WINHTTP_OPTION_ENABLE_HTTP_PROTOCOL, &http11, sizeof http11);
        if (!target.Secure || FBundlePath.empty())
            return true;
        // The bundle may vouch for an authority the system does not know: WinHTTP lets such a
        // chain through, and CheckServer decides before the request goes out.
        std::string pem;
        if (Platform::ReadFileBytes(FBundlePath, pem) != 0 || !FBundle.AddPem(pem))
            return false;
        DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
        if (!WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags))
            return false;
        return WinHttpSetStatusCallback(request, &TWinHttpTransport::OnStatus,
                                        WINHTTP_CALLBACK_FLAG_SEND_REQUEST,
                                        0) != WINHTTP_INVALID_STATUS_CALLBACK;
    }

    static void CALLBACK OnStatus(HINTERNET request, DWORD_PTR context, DWORD status, void*,
                                  DWORD) {
        if (status != WINHTTP_CALLBACK_STATUS_SENDING_REQUEST || context == 0)
            return;
        auto* transport = reinterpret_cast<TWinHttpTransport*>(context);
        if (!transport->CheckServer(request)) {
            // Closing the request ends the send before the request line is written.
            transport->FRefused = true;
            WinHttpCloseHandle(request);
        }
    }

    bool CheckServer(HINTERNET request) const {
        PCCERT_CONTEXT certificate = nullptr;
        DWORD size = sizeof certificate;
        if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) ||
            certificate == nullptr)
            return false;
        const bool trusted = ServerTrusted(certificate, FBundle, FHost);
        CertFreeCertificateContext(certificate);
        return trusted;
    }

    static bool ReadBody(HINTERNET request, std::string& body) {
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request, &available))
                return false;
            if (available == 0)
                return true;
            const std::size_t start = body.size();
            try {
                body.resize(start + available);
            } catch (const std::exception&) {
                return false; // out of memory: the transfer fails
            }
            DWORD read = 0;
            if (!WinHttpReadData(request, body.data() + start, available, &read))
                return false;
            body.resize(start + read);
        }
    }

    std::u16string FBundlePath;
    TCertificateStore FBundle;
    // The host of the request under way, and whether its certificate was refused.
    std::wstring FHost;
    bool FRefused = false;
};

} // namespace

std::unique_ptr<THttpTransport> CreateHttpTransport(std::u16string_view applicationFolder) {
    const std::u16string bundle = std::u16string(applicationFolder) + u"\\curl-ca-bundle.crt";
    const bool hasBundle = !applicationFolder.empty() && Platform::FileExists(bundle);
    return std::make_unique<TWinHttpTransport>(hasBundle ? bundle : std::u16string());
}
