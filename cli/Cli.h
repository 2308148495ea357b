// The command-line tool: the same engine and the same files as the window.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zendra {

// Exit status: 0 done, 1 the operation failed, 2 the command line was wrong, 130 stopped by Ctrl+C
// (see Interrupt.h). It never throws.
// Arguments are UTF-8; a progress bar goes to `err` when `terminal` is true and --quiet is absent.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool terminal);

} // namespace zendra
