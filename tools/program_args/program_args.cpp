#include "tools/program_args/program_args.h"

#include <iostream>

namespace {

std::string programName(const char* argv0)
{
    const std::string path = argv0 ? argv0 : "";
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

}  // namespace

ProgramArgs parseProgramArgs(int argc, const char* const* argv, const std::string& usage,
                             OperandCount count, std::ostream& out, std::ostream& err)
{
    ProgramArgs parsed;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || !isOption(arg)) {
            parsed.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            out << usage;
            parsed.exitStatus = 0;
            return parsed;
        } else {
            err << programName(argv[0]) << ": unknown option " << arg << "\n" << usage;
            parsed.exitStatus = 2;
            return parsed;
        }
    }
    if (parsed.operands.size() < count.least || parsed.operands.size() > count.most) {
        err << usage;
        parsed.exitStatus = 2;
    }
    return parsed;
}

ProgramArgs parseProgramArgs(int argc, const char* const* argv, const std::string& usage,
                             OperandCount count)
{
    return parseProgramArgs(argc, argv, usage, count, std::cout, std::cerr);
}
