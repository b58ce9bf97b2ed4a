// The POSIX transport: libcurl with OpenSSL. The server's certificate is checked against the
// system's store and, when present, "curl-ca-bundle.crt" in the host's application folder.
#include "Plugins/Corvane/HttpTransport.h"

#include "Platform/Files.h"
#include "Platform/Locale.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <cstdint>
#include <optional>

namespace {

constexpr const char* UserAgent = "Mozilla/4.0 (compatible; Synapse)";

// The failure a libcurl result stands for; `verifyResult` is OpenSSL's verdict on the server's
// certificate.
TTransferFailure ClassifyFailure(CURLcode code, long verifyResult) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return TTransferFailure::NameNotFound;
    case CURLE_COULDNT_CONNECT:
        return TTransferFailure::ConnectionRefused;
    case CURLE_PEER_FAILED_VERIFICATION:
        if (verifyResult == X509_V_ERR_CERT_HAS_EXPIRED ||
            verifyResult == X509_V_ERR_CERT_NOT_YET_VALID)
            return TTransferFailure::CertificateExpired;
        // libcurl matches the host name itself, after OpenSSL trusted the chain, and then
        // leaves no verdict or an unspecified one.
        if (verifyResult == X509_V_OK || verifyResult == X509_V_ERR_UNSPECIFIED ||
            verifyResult == X509_V_ERR_HOSTNAME_MISMATCH ||
            verifyResult == X509_V_ERR_IP_ADDRESS_MISMATCH)
            return TTransferFailure::CertificateWrongName;
        return TTransferFailure::CertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
        return TTransferFailure::SecureChannelFailed;
    case CURLE_OPERATION_TIMEDOUT:
        return TTransferFailure::NoAnswer;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return TTransferFailure::ConnectionLost;
    default:
        return TTransferFailure::Other;
    }
}

class TCurlTransport final : public THttpTransport {
public:
    TCurlTransport(std::string extraCaBundle, const TTransferLimits& limits)
        : FCurl(curl_easy_init()), FExtraCaBundle(std::move(extraCaBundle)), FLimits(limits) {}
    ~TCurlTransport() override {
        if (FCurl != nullptr)
            curl_easy_cleanup(FCurl);
    }
    TCurlTransport(const TCurlTransport&) = delete;
    TCurlTransport& operator=(const TCurlTransport&) = delete;

    THttpResponse Get(std::u16string_view address) override {
        THttpResponse response;
        if (FCurl == nullptr) {
            response.Failure = TransferFailureText(TTransferFailure::Other, FLimits);
            return response;
        }
        const std::string url = Platform::Utf16ToUtf8(address);
        curl_easy_setopt(FCurl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(FCurl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(FCurl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(FCurl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(FCurl, CURLOPT_USERAGENT, UserAgent);
        // No proxy, whatever the environment says.
        curl_easy_setopt(FCurl, CURLOPT_PROXY, "");
        curl_easy_setopt(FCurl, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(FCurl, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(FCurl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(FCurl, CURLOPT_CONNECTTIMEOUT,
                         static_cast<long>(FLimits.ConnectWait.count()));
        // The stall rule and the body cap are checked by the callbacks below.
        curl_easy_setopt(FCurl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(FCurl, CURLOPT_XFERINFOFUNCTION, &TCurlTransport::WatchProgress);
        curl_easy_setopt(FCurl, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(FCurl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(FCurl, CURLOPT_SSL_VERIFYHOST, 2L);
        UseSystemStoreOnDemand();
        if (!FExtraCaBundle.empty()) {
            curl_easy_setopt(FCurl, CURLOPT_SSL_CTX_FUNCTION, &TCurlTransport::TrustExtraBundle);
            curl_easy_setopt(FCurl, CURLOPT_SSL_CTX_DATA, this);
        }
        curl_easy_setopt(FCurl, CURLOPT_WRITEFUNCTION, &TCurlTransport::CollectBody);
        curl_easy_setopt(FCurl, CURLOPT_WRITEDATA, this);
        FBody = &response.Body;
        FStallWatch.emplace(FLimits, TStallWatch::TClock::now());
        FOwnFailure.reset();

        const CURLcode result = curl_easy_perform(FCurl);
        curl_easy_getinfo(FCurl, CURLINFO_RESPONSE_CODE, &response.Status);
        response.Received = result == CURLE_OK;
        if (!response.Received) {
            response.Body.clear();
            long verifyResult = X509_V_OK;
            curl_easy_getinfo(FCurl, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
            const TTransferFailure failure =
                FOwnFailure.value_or(ClassifyFailure(result, verifyResult));
            const std::u16string detail = failure == TTransferFailure::Other
                                              ? Platform::Utf8ToUtf16(curl_easy_strerror(result))
                                              : std::u16string();
            response.Failure = TransferFailureText(failure, FLimits, detail);
        }
        return response;
    }

private:
    // Ends the transfer (by a non-zero answer) once the stall rule says so.
    static int WatchProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* transport = static_cast<TCurlTransport*>(self);
        const std::optional<TTransferFailure> stalled =
            transport->FStallWatch->Check(TStallWatch::TClock::now(), transport->FBody->size());
        if (!stalled)
            return 0;
        transport->Fail(*stalled);
        return 1;
    }

    static size_t CollectBody(char* data, size_t size, size_t count, void* self) {
        auto* transport = static_cast<TCurlTransport*>(self);
        std::string& body = *transport->FBody;
        const std::uint64_t cap = transport->FLimits.MaxBodyBytes;
        // A body of announced length is received into one allocation, without the copies and
        // the twice-sized peak of a growing one; an announcement beyond the cap ends at once.
        curl_off_t length = -1;
        if (body.empty() &&
            curl_easy_getinfo(transport->FCurl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) ==
                CURLE_OK &&
            length > 0) {
            if (static_cast<std::uint64_t>(length) > cap)
                return transport->Fail(TTransferFailure::BodyTooLarge);
            try {
                body.reserve(static_cast<std::size_t>(length));
            } catch (const std::exception&) {
                // Only no help: the body grows as it comes.
            }
        }
        if (body.size() + size * count > cap)
            return transport->Fail(TTransferFailure::BodyTooLarge);
        try {
            body.append(data, size * count);
        } catch (const std::exception&) {
            return transport->Fail(TTransferFailure::OutOfMemory);
        }
        return size * count;
    }

    // Records why the transfer ends; the answer to libcurl that ends it.
    size_t Fail(TTransferFailure failure) {
        FOwnFailure = failure;
        return 0;
    }

    // Where libcurl knows the system's certificates both as one bundle file and as a hashed
    // folder, only the folder is used: OpenSSL then reads the few certificates a server's chain
    // needs, while the bundle (some 140 certificates) would be parsed whole at every transfer,
    // tens of milliseconds. The trusted certificates are the same.
    void UseSystemStoreOnDemand() {
        char* folder = nullptr;
        if (curl_easy_getinfo(FCurl, CURLINFO_CAPATH, &folder) == CURLE_OK && folder != nullptr &&
            *folder != '\0')
            curl_easy_setopt(FCurl, CURLOPT_CAINFO, nullptr);
    }

    // Adds the application folder's bundle to the store that already holds the system's.
    static CURLcode TrustExtraBundle(CURL*, void* sslContext, void* self) {
        auto* transport = static_cast<TCurlTransport*>(self);
        X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
        if (store == nullptr || X509_STORE_load_file(store, transport->FExtraCaBundle.c_str()) != 1)
            return CURLE_SSL_CACERT_BADFILE;
        return CURLE_OK;
    }

    CURL* FCurl;
    std::string FExtraCaBundle;
    TTransferLimits FLimits;
    // The transfer under way: its body, its stall rule, and the failure the callbacks found.
    std::string* FBody = nullptr;
    std::optional<TStallWatch> FStallWatch;
    std::optional<TTransferFailure> FOwnFailure;
};

} // namespace

std::unique_ptr<THttpTransport> CreateHttpTransport(std::u16string_view applicationFolder,
                                                    const TTransferLimits& limits) {
    const std::u16string bundle = std::u16string(applicationFolder) + u"\\curl-ca-bundle.crt";
    const bool hasBundle = !applicationFolder.empty() && Platform::FileExists(bundle);
    return std::make_unique<TCurlTransport>(
        hasBundle ? Platform::NativePath(bundle) : std::string(), limits);
}
