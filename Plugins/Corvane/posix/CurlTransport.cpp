// The POSIX transport: libcurl with OpenSSL. The server's certificate is checked against the
// system's store and, when present, "curl-ca-bundle.crt" in the host's application folder.
#include "Plugins/Corvane/HttpTransport.h"

#include "Platform/Files.h"
#include "Platform/Locale.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace {

constexpr long NetworkWaitSeconds = 90;
constexpr const char* UserAgent = "Mozilla/4.0 (compatible; Synapse)";

class TCurlTransport final : public THttpTransport {
public:
    explicit TCurlTransport(std::string extraCaBundle)
        : FCurl(curl_easy_init()), FExtraCaBundle(std::move(extraCaBundle)) {}
    ~TCurlTransport() override {
        if (FCurl != nullptr)
            curl_easy_cleanup(FCurl);
    }
    TCurlTransport(const TCurlTransport&) = delete;
    TCurlTransport& operator=(const TCurlTransport&) = delete;

    THttpResponse Get(std::u16string_view address) override {
        THttpResponse response;
        if (FCurl == nullptr)
            return response;
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
        curl_easy_setopt(FCurl, CURLOPT_CONNECTTIMEOUT, NetworkWaitSeconds);
        curl_easy_setopt(FCurl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(FCurl, CURLOPT_LOW_SPEED_TIME, NetworkWaitSeconds);
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

        response.Received = curl_easy_perform(FCurl) == CURLE_OK;
        if (!response.Received)
            response.Body.clear();
        return response;
    }

private:
    static size_t CollectBody(char* data, size_t size, size_t count, void* self) {
        auto* transport = static_cast<TCurlTransport*>(self);
        std::string& body = *transport->FBody;
        try {
            // A body of announced length is received into one allocation, without the copies
            // and the twice-sized peak of a growing one. An announcement too large to reserve
            // is only no help.
            curl_off_t length = -1;
            if (body.empty() &&
                curl_easy_getinfo(transport->FCurl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) ==
                    CURLE_OK &&
                length > 0)
                body.reserve(static_cast<std::size_t>(length));
        } catch (const std::exception&) {
        }
        try {
            body.append(data, size * count);
        } catch (const std::exception&) {
            return 0; // out of memory: the transfer fails
        }
        return size * count;
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
    // The body of the transfer under way.
    std::string* FBody = nullptr;
};

} // namespace

std::unique_ptr<THttpTransport> CreateHttpTransport(std::u16string_view applicationFolder) {
    const std::u16string bundle = std::u16string(applicationFolder) + u"\\curl-ca-bundle.crt";
    const bool hasBundle = !applicationFolder.empty() && Platform::FileExists(bundle);
    return std::make_unique<TCurlTransport>(hasBundle ? Platform::NativePath(bundle)
                                                      : std::string());
}
