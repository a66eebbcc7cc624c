#pragma once
// The window program's command line: --help, --version and --content-path answer on standard
// output without a display and end the program; no argument starts the window.
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace app {

struct CommandLineOutcome {
    // Set when the program ends here with this exit status; empty: start the window.
    std::optional<int> exitCode;
};

// Needs a QCoreApplication (for the program name and folder); writes answers to `out`, errors to
// `err`. --content-path prints the board content file in use, creating the per-user copy from the
// installed template when there is none yet, exactly as a start of the window would.
CommandLineOutcome runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace app
