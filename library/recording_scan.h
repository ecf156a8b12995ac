#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

#include "library/track.h"

// A recording file as found on disk: what decides whether it must be read again.
struct FoundFile
{
    QString path;  // absolute, symbolic links resolved
    std::int64_t size = 0;
    std::int64_t writeTimeMs = 0;
};

// The movie files (.MOV, .MP4, .TS in any case) under the folders, in path order, searched
// down to a card's deepest camera folder; a file given instead of a folder stands for
// itself. Folders that cannot be listed are added to `unreadable`.
QList<FoundFile> findRecordingFiles(const QStringList& paths, QStringList& unreadable);

// The volume a file lies on, when the system names it: by udev's names of the disks, else
// by its file system's header where the device may be read.
struct VolumeIdentity
{
    QString label;
    QString uuid;
};
VolumeIdentity volumeOf(const QString& path);

// Everything the library stores of one recording, read from its files.
struct RecordingRecord
{
    FoundFile file;
    VolumeIdentity volume;
    QString layout;    // the tools' layout name
    QString channels;  // the channel letter of this file (F, R, I, T)
    std::optional<std::int64_t> startUtcMs;
    std::int64_t durationMs = 0;
    bool locked = false;
    bool event = false;
    StoredTrack track;  // decimated and simplified
};

// Reads the recording's telemetry and clock. Nothing, and why, when its files do not open.
std::optional<RecordingRecord> readRecording(const FoundFile& file, const VolumeIdentity& volume,
                                             QString& reason);
