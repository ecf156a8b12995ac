// Writes FOLDER/drive.MOV with its sidecar drive.DAT, and drive.nmea holding the same
// sentences as plain NMEA, for timing the GPX export against other tools.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "drive.h"
#include "program_args.h"

int main(int argc, char** argv)
{
    const char usage[] =
        "usage: make_drive_recording FOLDER [SECONDS]\n"
        "Writes FOLDER/drive.MOV, its sidecar drive.DAT and drive.nmea (an hour by default).\n";
    const ProgramArgs args = ParseProgramArgs(argc, argv, usage, {1, 2});
    if (args.exitStatus) {
        return *args.exitStatus;
    }
    const std::string folder = args.operands[0];
    const int seconds = args.operands.size() == 2 ? std::atoi(args.operands[1].c_str()) : 3600;
    const auto samples = DriveSamples(seconds);
    const bool ok = layout_writer::WriteFile(folder + "/drive.MOV", layout_writer::MovieSecondShape(3600000000u)) &&
                    layout_writer::WriteFile(folder + "/drive.DAT", layout_writer::Sidecar(samples)) &&
                    layout_writer::WriteFile(folder + "/drive.nmea", DriveNmea(samples));
    return ok ? 0 : 1;
}
