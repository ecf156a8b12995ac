#include <unistd.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/dashcam-telemetry/descriptor_output.h"
#include "tools/dashcam-telemetry/telemetry_dump.h"

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    DescriptorOutput standardOutput(STDOUT_FILENO);
    std::ostream out(&standardOutput);
    const int status = runDashcamTelemetry(args, out, std::cerr, ::isatty(STDERR_FILENO) == 1);
    out.flush();
    if (!out) {
        // A truncated GPX or CSV file must not look like a finished one.
        std::cerr << "dashcam-telemetry: cannot write the output: "
                  << std::strerror(standardOutput.error()) << '\n';
        return 1;
    }
    return status;
}
