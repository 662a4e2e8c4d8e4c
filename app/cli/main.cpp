#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = RunCli(args, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "vesmar-cli: writing the output failed\n";
        return kExitFailed;
    }
    return status;
}
