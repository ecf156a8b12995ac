#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "playback/media_engine.h"

class VideoWidget;

// Where the channels of one moment show: one video widget per channel, arranged by the
// view (main picture, insets, side by side...). The engine asks for the pictures at each
// open and tells what a channel has no picture for.
class ChannelOutputs : public VideoOutput
{
public:
    // One picture per channel, labelled ("F", "R", "I", "T"), the first as the main one;
    // the widgets in that order, owned by the view, valid until the next call.
    virtual std::vector<VideoWidget*> showChannels(const QStringList& labels) = 0;
    // A note shown over a channel's picture or black (empty: none), for a channel that has
    // not started yet, has ended, or broke.
    virtual void setChannelNote(int index, const QString& note) = 0;
    // Whether the channel's picture is on screen in the current arrangement.
    virtual bool isChannelShown(int index) const = 0;
    // All pictures alone on the whole screen, in the same arrangement, or back.
    virtual void setFullScreen(bool on) = 0;
    virtual bool isFullScreenVideo() const = 0;
};
