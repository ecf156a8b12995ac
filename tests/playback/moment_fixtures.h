#pragma once

#include <QString>

// A moment of sample recordings, as make-sample-recordings writes them (its HL family,
// 3 s): the front with sound, and the rear starting 1 s later and ending with it. Every
// frame is stamped with its channel and number (frame_stamp.h).
namespace media {

struct StampedMoment
{
    QString front;
    QString rear;
};

StampedMoment stampedMoment();

}  // namespace media
