#include <unistd.h>

#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
  return pellmark::cli::RunCli(argc, argv, std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0,
                                isatty(STDERR_FILENO) != 0);
}
