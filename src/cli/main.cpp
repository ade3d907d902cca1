#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    return vt::RunCli(argc, argv, std::cout, std::cerr, vt::Teardown::kLeaveToExit);
}
