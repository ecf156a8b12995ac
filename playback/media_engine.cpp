#include "playback/media_engine.h"

VideoOutput::~VideoOutput() = default;

MediaEngine::~MediaEngine() = default;

PlaybackResult MediaEngine::openChannels(const std::vector<ChannelSource>& channels,
                                         VideoOutput* video)
{
    if (channels.empty()) {
        close();
        return {PlaybackError::InvalidArgument, QStringLiteral("No file name.")};
    }
    return open(channels.front().path, video);
}
