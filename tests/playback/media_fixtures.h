#pragma once

#include <QString>

// Real recordings for the engine tests, written by GStreamer on first use into
// a folder of the build tree and reused by later test processes.
namespace media {

QString videoWithAudio();          // 2 s, 320x240 at 30 fps, H.264 + AAC, SMPTE colour bars
QString audioOnly();               // 2 s of AAC in a QuickTime file
QString textRenamedMov();          // a text file named .MOV
QString truncatedNoIndex();        // the first half of a recording whose index comes last
QString truncatedIndexed();        // index first, then 60 % of the samples it lists
QString undecodableVideo();        // video only, in a coding no decoder knows
QString damagedAfterTenSeconds();  // 12 s, the demuxer fails at the video sample at 10 s

// Copies of a recording made worse: only the first `fraction` of its bytes; or its first
// track's sample `index` given a size no demuxer reads, which fails there as at the first
// damaged block of a recording.
bool truncateCopy(const QString& source, const QString& target, double fraction);
bool breakSample(const QString& source, const QString& target, int index);

}  // namespace media
