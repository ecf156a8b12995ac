#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The options every command-line program here shares: --help (or -h) prints the usage on
// `out` and ends the program with 0; any other argument that starts with '-' (a lone "-"
// aside) is refused with an error and the usage on `err`, and ends it with 2. After "--"
// every argument is an operand. Fewer or more operands than the program takes end it with
// the usage on `err` and 2 as well.
struct OperandCount
{
    size_t least = 0;
    size_t most = static_cast<size_t>(-1);
};

struct ProgramArgs
{
    std::vector<std::string> operands;
    std::optional<int> exitStatus;  // set when the program ends here
};

ProgramArgs parseProgramArgs(int argc, const char* const* argv, const std::string& usage,
                             OperandCount count, std::ostream& out, std::ostream& err);

// The same on standard output and standard error.
ProgramArgs parseProgramArgs(int argc, const char* const* argv, const std::string& usage,
                             OperandCount count = {});
