// The refhost program end to end: import and query on a fresh logbook, and verify loading the
// real Corvane.ext beside it, finding its menu command and unloading it cleanly.
#include "tests/support/TempDir.h"
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <fstream>

namespace {

struct TRun {
    int ExitCode;
    std::string Output; // standard output and error
};

TRun RunRefHost(const std::string& arguments) {
    const std::string command = "\"" REFHOST_PATH "\" " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    std::array<char, 4096> buffer{};
    for (std::size_t n; pipe && (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        output.append(buffer.data(), n);
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class RefHostCommandTest : public testing::Test {
protected:
    void SetUp() override {
        std::ofstream(Dir.File("log.adi"))
            << "refhost test log <EOH>\n"
               "<CALL:6>N0CALL<BAND:3>20M<MODE:3>SSB<QSO_DATE:8>20180630<TIME_ON:6>123456"
               "<LOTW_QSL_SENT:1>Y<EOR>\n"
               "<CALL:6>O'HARE<BAND:3>40m<MODE:2>cw<QSO_DATE:8>20180101<TIME_ON:4>0930<EOR>\n";
        Db = "--db \"" + Dir.File("log.sqlite") + "\"";
    }

    TTempDir Dir;
    std::string Db;
};

TEST_F(RefHostCommandTest, ImportsAndQueriesTheLogbook) {
    auto imported = RunRefHost("import " + Db + " --log Main \"" + Dir.File("log.adi") + "\"");
    EXPECT_EQ(imported.ExitCode, 0) << imported.Output;
    EXPECT_EQ(imported.Output, "added 2 QSOs to log Main\n");

    auto rows = RunRefHost("query " + Db +
                           " \"SELECT OMCALL, QSOBAND, QSOMODE, QSODATE, LOTWSENT FROM LOGS WHERE "
                           "LOGNAME='Main' AND QSODATE<#2018-06-30 12:35# ORDER BY QSODATE\"");
    EXPECT_EQ(rows.ExitCode, 0) << rows.Output;
    EXPECT_EQ(rows.Output, "OMCALL\tQSOBAND\tQSOMODE\tQSODATE\tLOTWSENT\n"
                           "O'HARE\t40M\tCW\t2018-01-01 09:30:00\t0\n"
                           "N0CALL\t20M\tSSB\t2018-06-30 12:34:56\t1\n");

    std::ofstream(Dir.File("bad.adi")) << "<CALL:6>N0CALL<BAND:3>20M<EOR>";
    auto rejected = RunRefHost("import " + Db + " --log Main \"" + Dir.File("bad.adi") + "\"");
    EXPECT_EQ(rejected.ExitCode, 1);
    EXPECT_NE(rejected.Output.find("MODE is missing; nothing was added"), std::string::npos)
        << rejected.Output;

    auto outside = RunRefHost("query " + Db + " \"DELETE FROM LOGS\"");
    EXPECT_EQ(outside.ExitCode, 1);
    EXPECT_NE(outside.Output.find("dialect"), std::string::npos) << outside.Output;
    EXPECT_EQ(RunRefHost("query").ExitCode, 2);
}

TEST_F(RefHostCommandTest, VerifyLoadsThePluginAndFindsItsCommand) {
    ASSERT_EQ(RunRefHost("import " + Db + " --log Main \"" + Dir.File("log.adi") + "\"").ExitCode,
              0);
    auto verify = RunRefHost("verify " + Db +
                             " --log Main --operator N0CALL --login me --password pw "
                             "--app-dir \"" +
                             Dir.Path().string() + "\" --resource http://127.0.0.1:9/x");
    EXPECT_EQ(verify.Output.find("offers no"), std::string::npos) << verify.Output;
    EXPECT_EQ(verify.Output.find("refused to start"), std::string::npos) << verify.Output;
    EXPECT_EQ(verify.Output.find("references"), std::string::npos) << verify.Output;
    std::ifstream settings(Dir.File("refhost.ini"));
    std::string text((std::istreambuf_iterator<char>(settings)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[LotW Inbox]"), std::string::npos) << text;
    EXPECT_NE(text.find("Resource=http://127.0.0.1:9/x"), std::string::npos) << text;

    auto refused = RunRefHost("verify " + Db +
                              " --log Main --login me --password pw --omit IHostServer "
                              "--app-dir \"" +
                              Dir.Path().string() + "\"");
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_NE(refused.Output.find("refused to start"), std::string::npos) << refused.Output;
}

} // namespace
