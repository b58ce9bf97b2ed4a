// The report fixture service: every answer form, the query log, HTTPS with the test
// certificates, and stopping by itself.
#include "ChildProcess.h"
#include "tests/support/TempDir.h"

#define CPPHTTPLIB_OPENSSL_SUPPORT
#include <httplib.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

const std::string Report = "ARRL Logbook of the World Status Report\r\n<APP_LoTW_NUMREC:1>0\r\n"
                           "<eoh>\r\n";
const std::string Path = "/lotwuser/lotwreport.adi";

class ReportFixtureTest : public testing::Test {
protected:
    void SetUp() override { std::ofstream(Dir.File("report.adi"), std::ios::binary) << Report; }

    // Starts the service with `extra` options and returns its port (0 when it did not start).
    int Start(std::vector<std::string> extra) {
        std::vector<std::string> args = {REPORT_FIXTURE_PATH, "--report", Dir.File("report.adi"),
                                         "--query-log", Dir.File("queries.txt")};
        args.insert(args.end(), extra.begin(), extra.end());
        Service = std::make_unique<TChildProcess>(args);
        const std::string line = Service->ReadLine();
        return line.starts_with("port=") ? std::stoi(line.substr(5)) : 0;
    }

    std::string Queries() const {
        std::ifstream file(Dir.File("queries.txt"));
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    TTempDir Dir;
    std::unique_ptr<TChildProcess> Service;
};

TEST_F(ReportFixtureTest, AnswersEachFormAndLogsTheRawQuery) {
    struct TCase {
        std::string Answer;
        int Status;
        std::string Body;
    };
    const std::string utf16 = [] {
        std::string out = "\xFF\xFE";
        for (char c : Report)
            out += std::string{c, '\0'};
        return out;
    }();
    const TCase cases[] = {
        {"report", 200, Report},   {"status:503", 503, Report},
        {"empty", 200, ""},        {"bom-utf8", 200, "\xEF\xBB\xBF" + Report},
        {"bom-utf16", 200, utf16}, {"chunked", 200, Report},
    };
    for (const auto& c : cases) {
        const int port = Start({"--answer", c.Answer});
        ASSERT_NE(port, 0) << c.Answer;
        httplib::Client client("127.0.0.1", port);
        auto result = client.Get(Path + "?login=N0%2BCALL&qso_qsl=no");
        ASSERT_TRUE(result) << c.Answer;
        EXPECT_EQ(result->status, c.Status) << c.Answer;
        EXPECT_EQ(result->body, c.Body) << c.Answer;
        if (c.Answer == "chunked") {
            EXPECT_EQ(result->get_header_value("Transfer-Encoding"), "chunked");
        }
    }
    EXPECT_TRUE(Queries().starts_with("login=N0%2BCALL&qso_qsl=no\n")) << Queries();

    for (const char* page : {"html", "html-lower"}) {
        const int port = Start({"--answer", page});
        ASSERT_NE(port, 0);
        auto result = httplib::Client("127.0.0.1", port).Get(Path);
        ASSERT_TRUE(result);
        EXPECT_NE(result->body.find(page == std::string("html") ? "<HTML>" : "<html>"),
                  std::string::npos);
    }
}

TEST_F(ReportFixtureTest, DelaysAndBreaksTransfersOnRequest) {
    int port = Start({"--answer", "truncate"});
    ASSERT_NE(port, 0);
    auto broken = httplib::Client("127.0.0.1", port).Get(Path);
    EXPECT_FALSE(broken && broken->body == Report) << "the body arrived whole";

    port = Start({"--delay-ms", "400"});
    const auto start = std::chrono::steady_clock::now();
    auto slow = httplib::Client("127.0.0.1", port).Get(Path);
    ASSERT_TRUE(slow);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
}

TEST_F(ReportFixtureTest, ServesHttpsWithATestCertificateFor127001) {
    const std::string certs = Dir.File("certs");
    ASSERT_EQ(std::system(("\"" MAKE_TEST_CERTS "\" \"" + certs + "\"").c_str()), 0);
    const int port = Start({"--cert", certs + "/server.pem", "--key", certs + "/server.key"});
    ASSERT_NE(port, 0);
    httplib::SSLClient client("127.0.0.1", port);
    client.set_ca_cert_path((certs + "/ca.pem").c_str());
    client.enable_server_certificate_verification(true);
    auto result = client.Get(Path + "?login=x");
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->body, Report);
}

TEST_F(ReportFixtureTest, StopsByItself) {
    ASSERT_NE(Start({"--idle", "1"}), 0);
    EXPECT_TRUE(Service->WaitFor(std::chrono::seconds(4)));
    EXPECT_EQ(Service->ExitCode(), 0);

    ASSERT_NE(Start({}), 0);
    Service->Signal(SIGTERM);
    EXPECT_TRUE(Service->WaitFor(std::chrono::seconds(2)));
    EXPECT_EQ(Service->ExitCode(), 0);

    EXPECT_EQ(Start({"--answer", "nonsense"}), 0);
    EXPECT_TRUE(Service->WaitFor(std::chrono::seconds(2)));
    EXPECT_EQ(Service->ExitCode(), 2);
}

} // namespace
