// Writes FOLDER/drive.MOV with its sidecar drive.DAT, and drive.nmea holding the same
// sentences as plain NMEA, for timing the GPX export against other tools.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "drive.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_drive_recording FOLDER [SECONDS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int seconds = argc == 3 ? std::atoi(argv[2]) : 3600;
    const auto samples = DriveSamples(seconds);
    const bool ok = layout_writer::WriteFile(folder + "/drive.MOV", layout_writer::MovieSecondShape(3600000000u)) &&
                    layout_writer::WriteFile(folder + "/drive.DAT", layout_writer::Sidecar(samples)) &&
                    layout_writer::WriteFile(folder + "/drive.nmea", DriveNmea(samples));
    return ok ? 0 : 1;
}
