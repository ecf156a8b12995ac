// Renders the waveform as the player shows it (677 x 161) over a sample drive, for a look
// by eye: waveform_shot OUT.png [speed] [seconds]
#include "instruments/waveform_view.h"
#include "tests/instruments/sample_drive.h"

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [speed] [seconds]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    const bool speedView = argc > 2 && std::strcmp(argv[2], "speed") == 0;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 240;
    TelemetryTable table;
    fillSampleDrive(table, seconds);

    WaveformView wave;
    wave.resize(677, 161);
    wave.setSource(&table);
    wave.setDuration(seconds);
    wave.reload();
    if (speedView) {
        wave.toggleMode();
    }
    const double position = seconds * 0.4;  // somewhere into the drive
    wave.setCursorEntry(static_cast<int>(position * 1000 / 100));
    wave.setElapsed(static_cast<int>(position));

    if (!wave.grab().toImage().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
