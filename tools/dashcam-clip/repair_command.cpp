#include "tools/dashcam-clip/repair_command.h"

#include <algorithm>
#include <ostream>

#include "repair/recording_repair.h"

const char kRepairUsage[] =
    "  dashcam-clip --repair FILE [--like HEALTHY-FILE] [-o DIR]\n"
    "      Writes a playable copy, FILE_repaired, of a recording cut off before its index\n"
    "      was written, and prints its path. The tracks are laid out as in HEALTHY-FILE,\n"
    "      by default a recording of the same camera from FILE's folder. FILE is only read.\n";

bool isRepairCommand(const std::vector<std::string>& args)
{
    return std::find(args.begin(), args.end(), "--repair") != args.end();
}

int runRepairCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    RepairRequest request;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string* value = args[i] == "--repair" ? &request.damaged
                             : args[i] == "--like" ? &request.reference
                             : args[i] == "-o"     ? &request.outputDir
                                                   : nullptr;
        if (value == nullptr || i + 1 == args.size() || !value->empty()) {
            err << "dashcam-clip: unexpected argument " << args[i] << "\nUsage:\n" << kRepairUsage;
            return 2;
        }
        *value = args[++i];
    }
    std::string reason;
    const std::optional<std::string> repaired = repairRecording(request, reason);
    if (!repaired) {
        err << "dashcam-clip: " << reason << '\n';
        return 1;
    }
    out << *repaired << '\n';
    out.flush();
    if (!out) {
        err << "dashcam-clip: cannot write the output\n";
        return 1;
    }
    return 0;
}
