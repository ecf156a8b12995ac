// Writes FOLDER/drive.MOV with its sidecar drive.DAT, and drive.nmea holding the same
// sentences as plain NMEA, for timing the GPX export against other tools.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/telemetry/drive.h"
#include "tools/program_args/program_args.h"

int main(int argc, char** argv)
{
    const char usage[] =
        "usage: make_drive_recording FOLDER [SECONDS]\n"
        "Writes FOLDER/drive.MOV, its sidecar drive.DAT and drive.nmea (an hour by default).\n";
    const ProgramArgs args = parseProgramArgs(argc, argv, usage, {1, 2});
    if (args.exitStatus) {
        return *args.exitStatus;
    }
    const std::string folder = args.operands[0];
    const int seconds = args.operands.size() == 2 ? std::atoi(args.operands[1].c_str()) : 3600;
    const auto samples = driveSamples(seconds);
    const bool ok =
        layout_writer::writeFile(folder + "/drive.MOV",
                                 layout_writer::movieSecondShape(3600000000u)) &&
        layout_writer::writeFile(folder + "/drive.DAT", layout_writer::sidecar(samples)) &&
        layout_writer::writeFile(folder + "/drive.nmea", driveNmea(samples));
    return ok ? 0 : 1;
}
