#include <iostream>
#include <string>
#include <vector>

#include "tools/dashcam-clip/repair_command.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << "Usage:\n" << kRepairUsage;
        return 0;
    }
    if (isRepairCommand(args)) {
        return runRepairCommand(args, std::cout, std::cerr);
    }
    if (!args.empty()) {
        std::cerr << "dashcam-clip: unexpected argument " << args[0] << '\n';
    }
    std::cerr << "Usage:\n" << kRepairUsage;
    return 2;
}
