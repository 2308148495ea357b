#include "Cli.h"
#include "Interrupt.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    zendra::InstallInterruptHandler();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zendra::RunCli(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
