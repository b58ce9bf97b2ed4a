// EndToEnd: the bench of the end-to-end tests. A fresh folder holds a logbook, the host's
// application folder (the TLS library files and, when asked, a certificate bundle the plug-in
// trusts) and the download folder. The report fixture service runs as its own process on
// 127.0.0.1 and stops at the test's end (or by itself); refhost runs the real plug-in against
// it with the verify verb, exactly as a user would. Certificates of two throwaway authorities
// are made once per test program. Test thread only.
#pragma once

#include "tests/host/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>
#include <vector>

namespace EndToEnd {

struct TRun {
    int ExitCode = -1;
    std::string Output; // standard output and error
};

enum class TScheme { Http, Https };

// What the host's application folder holds.
struct TAppFolder {
    bool TlsLibraryFiles = true;        // libeay32.dll and ssleay32.dll
    bool TrustsServiceAuthority = true; // curl-ca-bundle.crt of the authority that signed the
                                        // service's certificate (else another authority's)
};

class TBench {
public:
    // Makes the two authorities' certificates; call once before the first bench.
    static void MakeCertificates();
    static void RemoveCertificates();

    explicit TBench(const TAppFolder& app = {});

    // Adds the QSOs of ADIF `text` to the log "Main".
    void Import(const std::string& adif);
    // The output of a refhost query on the logbook (a header line, then tab-separated rows).
    std::string Query(const std::string& select);
    // Every QSO of the log "Main" with its marks and LoTW data, in time order.
    std::string Marks();

    // Starts the fixture service serving `report` as `answer` says; returns the report's address.
    std::string Serve(const std::string& report, const std::string& answer = "report",
                      TScheme scheme = TScheme::Https);
    // Runs refhost verify on the log with login "me", password "pw" and the resource address,
    // and the further refhost options `extra` (shell words).
    TRun Verify(const std::string& resource, const std::string& extra = "");
    // The command line of that run, without `extra`, for a test that starts refhost itself.
    std::vector<std::string> VerifyCommand(const std::string& resource) const;
    // The logbook file.
    std::string LogbookPath() const;

    // The raw queries the service received, one a line.
    std::string ReceivedQueries() const;
    std::string SettingsFile() const;
    std::string ErrorLog() const;
    bool ErrorLogExists() const;

private:
    TTempDir FDir;
    std::unique_ptr<TChildProcess> FService;
};

// Runs `command` with the shell, standard error joined to the output.
TRun RunCommand(const std::string& command);
// `text` quoted as one shell word.
std::string Quoted(const std::string& text);

// Texts of a program's output, for assertions.
bool Contains(const std::string& text, const std::string& part);
std::vector<std::string> Lines(const std::string& text);

} // namespace EndToEnd
