// The libcurl transport against a loopback server: plain HTTP, HTTPS trusted through the
// application folder's bundle, and the failures that must read as "no response".
#include "Plugins/Corvane/HttpTransport.h"
#include "tests/support/TempDir.h"
#include "tests/verify/VerifyFakes.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

namespace {

// A loopback server on 127.0.0.1 that answers "/report" and stops when the test ends.
class TLoopbackServer {
public:
    explicit TLoopbackServer(std::unique_ptr<httplib::Server> server) : FServer(std::move(server)) {
        FServer->Get("/report",
                     [this](const httplib::Request& request, httplib::Response& response) {
                         FQuery = request.target;
                         FUserAgent = request.get_header_value("User-Agent");
                         FVersion = request.version;
                         FHasAuthorization = request.has_header("Authorization");
                         response.status = 401;
                         response.set_content("not a report\r\n", "text/plain");
                     });
        FServer->Get("/moved", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/report");
            response.set_content("moved", "text/plain");
        });
        FServer->set_read_timeout(5, 0);
        FServer->set_write_timeout(5, 0);
        FPort = FServer->bind_to_any_port("127.0.0.1");
        FThread = std::thread([this] { FServer->listen_after_bind(); });
        while (!FServer->is_running()) // stop() only reaches a server that runs
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~TLoopbackServer() {
        FServer->stop();
        FThread.join();
    }
    TLoopbackServer(const TLoopbackServer&) = delete;
    TLoopbackServer& operator=(const TLoopbackServer&) = delete;

    std::u16string Address(std::string_view scheme, std::string_view path) const {
        return U16(std::string(scheme) + "://127.0.0.1:" + std::to_string(FPort) +
                   std::string(path));
    }

    std::string FQuery, FUserAgent, FVersion;
    bool FHasAuthorization = true;

private:
    std::unique_ptr<httplib::Server> FServer;
    int FPort = 0;
    std::thread FThread;
};

// A throwaway certificate authority, a server certificate it signed for 127.0.0.1, and a
// self-signed certificate for 127.0.0.1 that no authority vouches for.
class TransportTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        FCerts = new TTempDir;
        const std::string dir = FCerts->Path().string();
        const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2";
        const std::string script =
            "cd '" + dir +
            "' && "
            "openssl req -x509" +
            ec +
            " -keyout ca.key -out ca.crt -subj /CN=TestCA && "
            "openssl req" +
            ec +
            " -keyout server.key -out server.csr -subj /CN=127.0.0.1 && "
            "printf 'subjectAltName=IP:127.0.0.1\\n' > ext.cnf && "
            "openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial "
            "-out server.crt -days 2 -extfile ext.cnf && "
            "openssl req -x509" +
            ec +
            " -keyout other.key -out other.crt -subj /CN=127.0.0.1 "
            "-addext subjectAltName=IP:127.0.0.1";
        FCertsMade = std::system(("{ " + script + "; } >/dev/null 2>&1").c_str()) == 0;
    }
    static void TearDownTestSuite() {
        delete FCerts;
        FCerts = nullptr;
    }
    void SetUp() override {
        if (!FCertsMade)
            GTEST_SKIP() << "the openssl command could not make test certificates";
    }

    static std::string Cert(const char* name) { return FCerts->File(name); }
    static std::unique_ptr<httplib::Server> HttpsServer(const char* cert, const char* key) {
        return std::make_unique<httplib::SSLServer>(Cert(cert).c_str(), Cert(key).c_str());
    }
    // An application folder that trusts the test authority.
    std::u16string TrustingFolder() {
        std::filesystem::copy_file(Cert("ca.crt"), FAppDir.File("curl-ca-bundle.crt"));
        return U16(FAppDir.Path().string());
    }

    static inline TTempDir* FCerts = nullptr;
    static inline bool FCertsMade = false;
    TTempDir FAppDir;
};

TEST_F(TransportTest, PlainHttpGetsAnyStatusWithoutProxyOrCredentials) {
    TLoopbackServer server(std::make_unique<httplib::Server>());
    setenv("http_proxy", "http://127.0.0.1:9", 1); // a proxy that would refuse: must be ignored
    const THttpResponse response =
        CreateHttpTransport(u"")->Get(server.Address("http", "/report?login=a%26b&x=1"));
    unsetenv("http_proxy");
    EXPECT_TRUE(response.Received);
    EXPECT_EQ(response.Body, "not a report\r\n");
    EXPECT_EQ(server.FQuery, "/report?login=a%26b&x=1");
    EXPECT_EQ(server.FUserAgent, "Mozilla/4.0 (compatible; Synapse)");
    EXPECT_EQ(server.FVersion, "HTTP/1.1");
    EXPECT_FALSE(server.FHasAuthorization);
}

TEST_F(TransportTest, RedirectIsNotFollowed) {
    TLoopbackServer server(std::make_unique<httplib::Server>());
    const THttpResponse response = CreateHttpTransport(u"")->Get(server.Address("http", "/moved"));
    EXPECT_TRUE(response.Received);
    EXPECT_EQ(response.Body, "moved");
    EXPECT_EQ(server.FQuery, "");
}

TEST_F(TransportTest, HttpsTrustsTheApplicationFoldersBundle) {
    TLoopbackServer server(HttpsServer("server.crt", "server.key"));
    const THttpResponse response =
        CreateHttpTransport(TrustingFolder())->Get(server.Address("https", "/report?q=1"));
    EXPECT_TRUE(response.Received);
    EXPECT_EQ(response.Body, "not a report\r\n");
}

TEST_F(TransportTest, UntrustedCertificatesAndDeadServersGiveNoResponse) {
    TLoopbackServer signedByTestCa(HttpsServer("server.crt", "server.key"));
    TLoopbackServer selfSigned(HttpsServer("other.crt", "other.key"));
    const std::u16string trusting = TrustingFolder();
    const std::u16string dead = [] {
        TLoopbackServer gone(std::make_unique<httplib::Server>());
        return gone.Address("http", "/report");
    }();
    struct TCase {
        const char* name;
        std::u16string folder, address;
    };
    const TCase cases[] = {
        {"no bundle in the folder", U16(FCerts->Path().string() + "/none"),
         signedByTestCa.Address("https", "/report")},
        {"certificate no authority signed", trusting, selfSigned.Address("https", "/report")},
        {"server gone", trusting, dead},
        {"not http", trusting, u"ftp://127.0.0.1/report"},
    };
    for (const TCase& c : cases) {
        const THttpResponse response = CreateHttpTransport(c.folder)->Get(c.address);
        EXPECT_FALSE(response.Received) << c.name;
        EXPECT_TRUE(response.Body.empty()) << c.name;
    }
    EXPECT_EQ(selfSigned.FQuery, "") << "no request reaches an untrusted server";
}

} // namespace
