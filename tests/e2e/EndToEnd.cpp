#include "tests/e2e/EndToEnd.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace EndToEnd {

namespace {

namespace fs = std::filesystem;

// A refhost run that outlives this is taken as hung (a dialog or message box left open).
constexpr const char* RunLimit = "120";

std::unique_ptr<TTempDir> Certificates;

TRun RunRefHost(const std::string& arguments) {
    return RunCommand(std::string("timeout ") + RunLimit + " " + Quoted(REFHOST_PATH) + " " +
                      arguments);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Authority(bool service) {
    return Certificates->File(service ? "service" : "other");
}

} // namespace

void TBench::MakeCertificates() {
    Certificates = std::make_unique<TTempDir>();
    for (const char* authority : {"service", "other"}) {
        const TRun made = RunCommand("bash " + Quoted(MAKE_TEST_CERTS) + " " +
                                     Quoted(Certificates->File(authority)));
        if (made.ExitCode != 0)
            throw std::runtime_error("cannot make test certificates: " + made.Output);
    }
}

void TBench::RemoveCertificates() {
    Certificates.reset();
}

TBench::TBench(const TAppFolder& app) {
    fs::create_directories(FDir.Path() / "app");
    fs::create_directories(FDir.Path() / "download");
    const fs::path refhostFolder = fs::path(REFHOST_PATH).parent_path();
    if (app.TlsLibraryFiles)
        for (const char* name : {"libeay32.dll", "ssleay32.dll"})
            fs::copy_symlink(refhostFolder / name, FDir.Path() / "app" / name);
    fs::copy_file(Authority(app.TrustsServiceAuthority) + "/ca.pem",
                  FDir.Path() / "app" / "curl-ca-bundle.crt");
}

void TBench::Import(const std::string& adif) {
    WriteFile(FDir.File("log.adi"), adif);
    const TRun imported = RunRefHost("import --db " + Quoted(FDir.File("log.sqlite")) +
                                     " --log Main " + Quoted(FDir.File("log.adi")));
    if (imported.ExitCode != 0)
        throw std::runtime_error("import failed: " + imported.Output);
}

std::string TBench::Query(const std::string& select) {
    const TRun rows =
        RunRefHost("query --db " + Quoted(FDir.File("log.sqlite")) + " " + Quoted(select));
    if (rows.ExitCode != 0)
        throw std::runtime_error("query failed: " + rows.Output);
    return rows.Output;
}

std::string TBench::Marks() {
    return Query("SELECT OMCALL, QSOBAND, QSOMODE, QSODATE, LOTWSENT, LOTWRCVD, LOTWRCVDDATE, "
                 "IOTA, GRIDSQUARE FROM LOGS WHERE LOGNAME='Main' ORDER BY QSODATE");
}

std::string TBench::Serve(const std::string& report, const std::string& answer, TScheme scheme) {
    WriteFile(FDir.File("report.adi"), report);
    std::vector<std::string> args = {REPORT_FIXTURE_PATH,
                                     "--report",
                                     FDir.File("report.adi"),
                                     "--answer",
                                     answer,
                                     "--query-log",
                                     FDir.File("queries.log"),
                                     "--idle",
                                     "60"};
    if (scheme == TScheme::Https)
        args.insert(args.end(), {"--cert", Authority(true) + "/server.pem", "--key",
                                 Authority(true) + "/server.key"});
    FService = std::make_unique<TChildProcess>(args);
    const std::string announced = FService->ReadLine();
    if (!announced.starts_with("port="))
        throw std::runtime_error("the report service did not start: " + announced);
    return std::string(scheme == TScheme::Https ? "https" : "http") +
           "://127.0.0.1:" + announced.substr(5) + "/lotwuser/lotwreport.adi";
}

std::vector<std::string> TBench::VerifyCommand(const std::string& resource) const {
    return {REFHOST_PATH,     "verify",
            "--db",           LogbookPath(),
            "--log",          "Main",
            "--operator",     "DL1ABC",
            "--login",        "me",
            "--password",     "pw",
            "--app-dir",      FDir.File("app"),
            "--download-dir", FDir.File("download"),
            "--resource",     resource};
}

TRun TBench::Verify(const std::string& resource, const std::string& extra) {
    std::string arguments;
    for (const std::string& word : VerifyCommand(resource))
        arguments += (arguments.empty() ? "" : " ") + Quoted(word);
    return RunCommand(std::string("timeout ") + RunLimit + " " + arguments + " " + extra);
}

std::string TBench::LogbookPath() const {
    return FDir.File("log.sqlite");
}

std::string TBench::ReceivedQueries() const {
    return ReadFile(FDir.File("queries.log"));
}

std::string TBench::SettingsFile() const {
    return ReadFile(FDir.File("app/refhost.ini"));
}

std::string TBench::ErrorLog() const {
    return ReadFile(FDir.File("download/Corvane.err"));
}

bool TBench::ErrorLogExists() const {
    return fs::exists(FDir.File("download/Corvane.err"));
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

TRun RunCommand(const std::string& command) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("cannot run " + command);
    std::string output;
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        output.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace EndToEnd
