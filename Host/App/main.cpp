// refhost: the reference host. A logbook over SQLite that loads a plug-in and offers it the
// host's interfaces; on the command line it imports ADIF logs, queries the logbook, runs the
// LoTW verification as a user would, or shows its window.
#include "Host/App/Commands.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

constexpr const char* UsageText = R"(usage:
  refhost import --db FILE --log KEY ADIF...
  refhost query --db FILE "SELECT ..."
  refhost verify --db FILE --log KEY --operator CALL --login L --password P
                 [--from YYYY-MM-DD] [--until YYYY-MM-DD] [--no-from] [--no-until]
                 [--resource URL] [--app-dir DIR] [--download-dir DIR] [--settings FILE]
                 [--journal FILE] [--screenshot PNG] [--plugin PATH] [--log-name NAME] [--show]
                 [--timing] [--runs N] [--calls] [--digest]
  refhost gui --db FILE --log KEY [--operator CALL] [--log-name NAME] [folders as for verify]
test bench options of verify and gui:
  --core-version N        report N as the host's core version
  --omit INTERFACE        leave out a host interface (IHostServer, IHostKernel,
                          IApplicationWindows, IApplicationIcons, IMenuManager)
  --timing                (verify) print the run's time and the time spent in host calls
  --runs N                (verify) press Verify up to N times while it is enabled
  --calls                 (verify) print "calls: OP FIRST LAST" for each host operation of
                          the first run: the numbers of its first and last call there
  --digest                (verify) print "logbook: DIGEST N rows" of the LOGS table as other
                          programs see it, before the first run and after each run
  --fail OP:N:STATUS[:DESCRIPTION]
                          make the Nth call of host operation OP (e.g. IHostServer.ExecuteSQL)
                          fail with STATUS (a number or an exception class name)
)";

bool Headless() {
    return !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << UsageText;
        return 2;
    }
    const std::string verb = argv[1];
    const RefHost::TWords words(argv + 2, argv + argc);
    const std::string programDir =
        std::filesystem::canonical("/proc/self/exe").parent_path().string();
    if (verb == "import")
        return RefHost::RunImport(words);
    if (verb == "query")
        return RefHost::RunQuery(words);
    if (verb != "verify" && verb != "gui") {
        std::cerr << UsageText;
        return 2;
    }
    const bool show = std::find(words.begin(), words.end(), "--show") != words.end();
    if (!std::getenv("QT_QPA_PLATFORM") && (Headless() || (verb == "verify" && !show)))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    return verb == "verify" ? RefHost::RunVerify(words, programDir)
                            : RefHost::RunGui(words, programDir);
}
