#include "playback/moment_engine.h"

#include "playback/channel_outputs.h"
#include "playback/gstreamer_init.h"
#include "playback/playback_engine.h"
#include "playback/video_widget.h"

#include <QFileInfo>

#include <gst/gst.h>

#include <algorithm>
#include <cmath>

namespace {

// The channels are started this far ahead, so that every pipeline is playing before its
// first frame is due and none starts late.
constexpr std::uint64_t kStartMargin = 40 * GST_MSECOND;
// A channel sought past its end shows its last frame: one frame at 30 fps before the end.
constexpr double kLastFrame = 0.034;
// Frames of two channels that start less than half a frame at 30 fps apart show one moment.
constexpr double kFrameSlack = 0.017;

QString clockText(double seconds)
{
    const int whole = static_cast<int>(std::lround(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

// "snap.jpg" and "R": "snap_R.jpg".
QString channelFileName(const QString& fileName, const QString& label)
{
    const QFileInfo info(fileName);
    const QString stem = info.path() + '/' + info.completeBaseName() + '_' + label;
    return info.suffix().isEmpty() ? stem : stem + '.' + info.suffix();
}

}  // namespace

MomentEngine::MomentEngine(QObject* parent)
    : MediaEngine(parent), m_single(std::make_unique<PlaybackEngine>())
{
    initGStreamer();
    PlaybackEngine* single = m_single.get();
    connect(single, &MediaEngine::stateChanged, this, [this](PlayState state) {
        if (m_singleOpen || state == PlayState::Closed) {
            setState(state);
        }
    });
    connect(single, &MediaEngine::endReached, this, &MediaEngine::endReached);
    connect(single, &MediaEngine::failed, this, &MediaEngine::failed);
    m_startTimer.setSingleShot(true);
    m_startTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_startTimer, &QTimer::timeout, this, [this] {
        showPhases(position());
        scheduleNextStart();
    });
}

// Not inside any signal of a channel's here: the engines go at once, and tell nothing.
MomentEngine::~MomentEngine()
{
    m_startTimer.stop();
    m_channels.clear();
    m_single->disconnect(this);
    m_single->close();
}

void MomentEngine::setAudioSink(const QString& description)
{
    m_audioSink = description;
    m_single->setAudioSink(description);
}

std::unique_ptr<PlaybackEngine> MomentEngine::newChannelEngine(bool audio) const
{
    auto engine = std::make_unique<PlaybackEngine>();
    engine->setAudioSink(m_audioSink);
    engine->setInStep(audio);
    return engine;
}

// A slot of ours may close the engine while one of the channel's own signals is being
// emitted: it is stopped at once and deleted once that is over.
void MomentEngine::dropEngine(std::unique_ptr<PlaybackEngine>& engine)
{
    if (engine != nullptr) {
        engine->disconnect(this);
        engine->close();
        // Later, as it may be the sender of what got us here; a child meanwhile, so that
        // this engine's end still waits for its pipelines to stop (the process may be
        // ending, with no event loop left to run the deletion).
        engine->setParent(this);
        engine.release()->deleteLater();
    }
}

PlaybackResult MomentEngine::open(const std::string& path, VideoOutput* video)
{
    return openChannels({ChannelSource{QStringLiteral("F"), path, 0.0}}, video);
}

PlaybackResult MomentEngine::openChannels(const std::vector<ChannelSource>& channels,
                                          VideoOutput* video)
{
    releaseChannels();
    if (channels.empty()) {
        close();
        return {PlaybackError::InvalidArgument, QStringLiteral("No file name.")};
    }
    auto* outputs = dynamic_cast<ChannelOutputs*>(video);
    if (channels.size() == 1 || (video != nullptr && outputs == nullptr)) {
        return openSingle(channels.front(), video);
    }
    return openSeveral(channels, outputs);
}

PlaybackResult MomentEngine::openSingle(const ChannelSource& channel, VideoOutput* video)
{
    m_singleOpen = true;
    m_outputs = dynamic_cast<ChannelOutputs*>(video);
    VideoOutput* output = video;
    if (m_outputs != nullptr) {
        // The view may make new widgets: the old one's pipeline stops first, quietly, as
        // an engine that opens the next recording lets the last one go.
        const QSignalBlocker quiet(m_single.get());
        m_single->close();
        const std::vector<VideoWidget*> widgets = m_outputs->showChannels({channel.label});
        output = widgets.empty() ? nullptr : widgets.front();
        m_outputs->setChannelNote(0, {});
    }
    const PlaybackResult result = m_single->open(channel.path, output);
    if (!result) {
        close();
    }
    return result;
}

PlaybackResult MomentEngine::openSeveral(const std::vector<ChannelSource>& channels,
                                         ChannelOutputs* outputs)
{
    if (m_singleOpen) {
        m_singleOpen = false;
        const QSignalBlocker quiet(m_single.get());
        m_single->close();
    }
    // As an engine that opens the next recording: Stopped while it cues, then Paused.
    setState(PlayState::Stopped);
    m_outputs = outputs;
    QStringList labels;
    for (const ChannelSource& channel : channels) {
        labels << channel.label;
    }
    const std::vector<VideoWidget*> widgets =
        outputs != nullptr ? outputs->showChannels(labels) : std::vector<VideoWidget*>();
    m_channels.resize(channels.size());
    // All cue at once: the moment shows about as soon as its slowest channel.
    for (size_t i = 0; i < channels.size(); ++i) {
        m_channels[i].source = channels[i];
        beginChannel(m_channels[i], i < widgets.size() ? widgets[i] : nullptr, i == 0);
    }
    for (size_t i = 0; i < channels.size(); ++i) {
        finishChannel(m_channels[i], static_cast<int>(i));
    }
    const bool anyOpen = std::any_of(m_channels.begin(), m_channels.end(),
                                     [](const Channel& c) { return c.engine != nullptr; });
    if (!anyOpen) {
        const PlaybackResult why{PlaybackError::Failed, m_channels.front().broken};
        close();
        return why;
    }
    chooseSound(widgets);
    m_path = channels.front().path;
    for (const Channel& channel : m_channels) {
        m_duration = std::max(m_duration, channel.source.offset + channel.length);
    }
    m_anchor = 0.0;
    setState(PlayState::Paused);
    showPhases(0.0);
    return {};
}

void MomentEngine::beginChannel(Channel& channel, VideoWidget* widget, bool audio)
{
    channel.source.offset = std::max(0.0, channel.source.offset);
    channel.engine = newChannelEngine(audio);
    const PlaybackResult begun = channel.engine->beginOpen(channel.source.path, widget);
    if (!begun) {
        setBroken(channel, begun);
    }
}

void MomentEngine::finishChannel(Channel& channel, int index)
{
    if (channel.engine == nullptr) {
        return;
    }
    const PlaybackResult opened = channel.engine->finishOpen();
    if (!opened) {
        setBroken(channel, opened);
        return;
    }
    channel.length = channel.engine->duration();
    PlaybackEngine* engine = channel.engine.get();
    connect(engine, &MediaEngine::endReached, this, [this, index] { onChannelEnded(index); });
    connect(engine, &MediaEngine::failed, this,
            [this, index](const QString& reason) { onChannelFailed(index, reason); });
}

void MomentEngine::setBroken(Channel& channel, const PlaybackResult& why)
{
    channel.broken = why.reason().isEmpty() ? QStringLiteral("cannot be played") : why.reason();
    dropEngine(channel.engine);
}

// The front's sound, else the first channel's that has any: that one is opened again with
// its sound (the others never decode theirs).
void MomentEngine::chooseSound(const std::vector<VideoWidget*>& widgets)
{
    for (size_t i = 0; i < m_channels.size(); ++i) {
        Channel& channel = m_channels[i];
        if (channel.engine == nullptr || !channel.engine->hasAudio()) {
            continue;
        }
        if (i > 0) {
            dropEngine(channel.engine);
            beginChannel(channel, i < widgets.size() ? widgets[i] : nullptr, true);
            finishChannel(channel, static_cast<int>(i));
        }
        m_audio = channel.engine != nullptr ? static_cast<int>(i) : -1;
        return;
    }
}

void MomentEngine::close()
{
    releaseChannels();
    m_singleOpen = false;
    m_single->close();
    m_outputs = nullptr;
    setState(PlayState::Closed);
}

void MomentEngine::releaseChannels()
{
    m_startTimer.stop();
    for (Channel& channel : m_channels) {
        dropEngine(channel.engine);
    }
    // Opening the next recording, of one channel or several, puts the video back in the window.
    if (m_outputs != nullptr && m_outputs->isFullScreenVideo()) {
        m_outputs->setFullScreen(false);
    }
    if (!m_channels.empty() && m_outputs != nullptr) {
        for (size_t i = 0; i < m_channels.size(); ++i) {
            m_outputs->setChannelNote(static_cast<int>(i), {});
        }
    }
    m_channels.clear();
    m_path.clear();
    m_audio = -1;
    m_duration = 0.0;
    m_anchor = 0.0;
}

bool MomentEngine::isBroken(const Channel& channel)
{
    return channel.engine == nullptr || !channel.broken.isEmpty();
}

MomentEngine::Phase MomentEngine::phaseAt(const Channel& channel, double position) const
{
    if (isBroken(channel)) {
        return Phase::Broken;
    }
    if (position < channel.source.offset) {
        return Phase::Waiting;
    }
    if (channel.ended || position >= channel.source.offset + channel.length) {
        return Phase::Ended;
    }
    return Phase::Showing;
}

QString MomentEngine::noteFor(const Channel& channel, Phase phase) const
{
    const QString& label = channel.source.label;
    switch (phase) {
    case Phase::Waiting:
        return QStringLiteral("%1 starts at %2").arg(label, clockText(channel.source.offset));
    case Phase::Ended:
        return QStringLiteral("%1 ended at %2")
            .arg(label, clockText(channel.source.offset + channel.length));
    case Phase::Broken: return QStringLiteral("%1: %2").arg(label, channel.broken);
    case Phase::Showing: break;
    }
    return {};
}

// Each channel's picture (black while waiting) and note for the moment's `position`.
void MomentEngine::showPhases(double position)
{
    for (size_t i = 0; i < m_channels.size(); ++i) {
        Channel& channel = m_channels[i];
        const Phase phase = phaseAt(channel, position);
        if (!isBroken(channel)) {
            channel.engine->setPictureBlanked(phase == Phase::Waiting);
        }
        const QString note = noteFor(channel, phase);
        if (m_outputs != nullptr && note != channel.note) {
            m_outputs->setChannelNote(static_cast<int>(i), note);
        }
        channel.note = note;
    }
}

// Cues every channel paused at the moment's `position`: before its start at its first
// frame, past its end at its last.
void MomentEngine::cueAll(double position)
{
    for (size_t i = 0; i < m_channels.size(); ++i) {
        Channel& channel = m_channels[i];
        if (isBroken(channel)) {
            continue;
        }
        channel.ended = false;
        const double last = std::max(0.0, channel.length - kLastFrame);
        const double at = std::clamp(position - channel.source.offset, 0.0, last);
        const PlaybackResult sought = channel.engine->beginSeek(at);
        if (!sought) {
            channel.broken = sought.reason();
        }
    }
    // All seek at once; each then waits for its own.
    for (Channel& channel : m_channels) {
        if (isBroken(channel)) {
            continue;
        }
        const PlaybackResult sought = channel.engine->waitUntilCued();
        if (!sought) {
            channel.broken = sought.reason();
        }
    }
    m_anchor = position;
    showPhases(position);
}

// The channels stop one after the other, and one stopped late may show a later frame than
// the others: once each shows the frame it stopped at, a late one is sought back to the
// moment of the earliest. Returns that moment, or
// `position` when no channel shows a frame.
double MomentEngine::alignShownFrames(double position)
{
    std::vector<std::optional<double>> shown(m_channels.size());
    double earliest = -1.0;
    for (size_t i = 0; i < m_channels.size(); ++i) {
        const Channel& channel = m_channels[i];
        if (phaseAt(channel, position) == Phase::Showing && channel.engine->waitUntilCued()) {
            shown[i] = channel.engine->shownFrameTime();
        }
        if (shown[i]) {
            *shown[i] += channel.source.offset;
            earliest = earliest < 0.0 ? *shown[i] : std::min(earliest, *shown[i]);
        }
    }
    if (earliest < 0.0) {
        return position;
    }
    std::vector<Channel*> late;
    for (size_t i = 0; i < m_channels.size(); ++i) {
        Channel& channel = m_channels[i];
        if (shown[i] && *shown[i] > earliest + kFrameSlack &&
            channel.engine->beginSeek(earliest - channel.source.offset)) {
            late.push_back(&channel);
        }
    }
    for (Channel* channel : late) {
        if (const PlaybackResult sought = channel->engine->waitUntilCued(); !sought) {
            channel->broken = sought.reason();
        }
    }
    return earliest;
}

// Every channel that still has pictures to show plays; its running time 0, at
// runningFrom in its file, falls on the moment's time offset + runningFrom.
PlaybackResult MomentEngine::startAll()
{
    m_baseTime = clockNow() + kStartMargin;
    for (Channel& channel : m_channels) {
        const Phase phase = phaseAt(channel, m_anchor);
        channel.playing = phase == Phase::Waiting || phase == Phase::Showing;
        if (!channel.playing) {
            continue;
        }
        const double startsAt = channel.source.offset + channel.engine->runningFrom() - m_anchor;
        const auto base = static_cast<std::int64_t>(m_baseTime) +
                          static_cast<std::int64_t>(std::llround(startsAt * GST_SECOND));
        const PlaybackResult started = channel.engine->playAt(static_cast<std::uint64_t>(base));
        if (!started) {
            pauseAll();
            return started;
        }
    }
    setState(PlayState::Running);
    scheduleNextStart();
    if (allFinished()) {
        QMetaObject::invokeMethod(this, &MomentEngine::finishMoment, Qt::QueuedConnection);
    }
    return {};
}

void MomentEngine::pauseAll()
{
    m_startTimer.stop();
    for (Channel& channel : m_channels) {
        if (channel.playing && !isBroken(channel)) {
            channel.engine->pause();
        }
        channel.playing = false;
    }
}

void MomentEngine::scheduleNextStart()
{
    const double now = position();
    double next = -1.0;
    for (const Channel& channel : m_channels) {
        if (phaseAt(channel, now) == Phase::Waiting &&
            (next < 0.0 || channel.source.offset < next)) {
            next = channel.source.offset;
        }
    }
    if (next >= 0.0) {
        m_startTimer.start(static_cast<int>(std::ceil((next - now) * 1000.0)));
    }
}

bool MomentEngine::allFinished() const
{
    return std::all_of(m_channels.begin(), m_channels.end(), [](const Channel& channel) {
        return !channel.playing || channel.ended || !channel.broken.isEmpty();
    });
}

void MomentEngine::onChannelEnded(int index)
{
    if (m_state != PlayState::Running) {
        return;
    }
    m_channels[static_cast<size_t>(index)].ended = true;
    showPhases(position());
    if (allFinished()) {
        finishMoment();
    }
}

void MomentEngine::onChannelFailed(int index, const QString& reason)
{
    Channel& channel = m_channels[static_cast<size_t>(index)];
    channel.broken = reason.isEmpty() ? QStringLiteral("broke off") : reason;
    const double now = position();
    showPhases(now);
    const bool allBroken = std::all_of(m_channels.begin(), m_channels.end(),
                                       [](const Channel& c) { return !c.broken.isEmpty(); });
    if (allBroken) {
        pauseAll();
        m_anchor = now;
        setState(PlayState::Stopped);
        emit failed(reason);
    } else if (m_state == PlayState::Running && allFinished()) {
        finishMoment();
    }
}

// The longest channel has ended: back to the start, paused there, as one recording ends.
void MomentEngine::finishMoment()
{
    if (m_state != PlayState::Running || !allFinished()) {
        return;
    }
    pauseAll();
    cueAll(0.0);
    setState(PlayState::Stopped);
    emit endReached();
}

PlaybackResult MomentEngine::togglePlay()
{
    if (isSingle()) {
        return m_single->togglePlay();
    }
    if (m_channels.empty()) {
        return {};
    }
    return m_state == PlayState::Running ? pause() : startAll();
}

PlaybackResult MomentEngine::pause()
{
    if (isSingle()) {
        return m_single->pause();
    }
    if (m_channels.empty()) {
        return {};
    }
    const double now = position();
    pauseAll();
    m_anchor = alignShownFrames(now);
    setState(PlayState::Paused);
    showPhases(m_anchor);
    return {};
}

PlaybackResult MomentEngine::stop()
{
    if (isSingle()) {
        return m_single->stop();
    }
    if (m_state != PlayState::Paused && m_state != PlayState::Running) {
        return {};
    }
    pauseAll();
    cueAll(0.0);
    setState(PlayState::Stopped);
    return {};
}

PlayState MomentEngine::state() const
{
    return m_state;
}

double MomentEngine::position() const
{
    if (isSingle()) {
        return m_single->position();
    }
    if (m_state != PlayState::Running) {
        return m_anchor;
    }
    const std::uint64_t now = clockNow();
    const double played =
        now > m_baseTime ? static_cast<double>(now - m_baseTime) / GST_SECOND : 0.0;
    return std::min(m_anchor + played, m_duration);
}

PlaybackResult MomentEngine::setPosition(double seconds)
{
    if (isSingle()) {
        return m_single->setPosition(seconds);
    }
    if (m_channels.empty()) {
        return {};
    }
    const bool running = m_state == PlayState::Running;
    pauseAll();
    cueAll(std::clamp(seconds, 0.0, m_duration));
    return running ? startAll() : PlaybackResult();
}

double MomentEngine::duration() const
{
    return isSingle() ? m_single->duration() : m_duration;
}

PlaybackEngine* MomentEngine::audioEngine() const
{
    if (isSingle()) {
        return m_single.get();
    }
    return m_audio >= 0 ? m_channels[static_cast<size_t>(m_audio)].engine.get() : nullptr;
}

int MomentEngine::volumeLevel() const
{
    const PlaybackEngine* engine = audioEngine();
    return engine != nullptr ? engine->volumeLevel() : 0;
}

void MomentEngine::setVolumeLevel(int level)
{
    if (PlaybackEngine* engine = audioEngine()) {
        engine->setVolumeLevel(level);
    }
}

void MomentEngine::setFullScreen(bool on)
{
    if (m_outputs != nullptr) {
        if (state() != PlayState::Closed) {
            m_outputs->setFullScreen(on);
        }
    } else if (isSingle()) {
        m_single->setFullScreen(on);
    }
}

bool MomentEngine::captureFrame(const QString& fileName, const SnapshotTags* tags)
{
    if (isSingle()) {
        return m_single->captureFrame(fileName, tags);
    }
    const double now = position();
    std::vector<const Channel*> shown;
    for (size_t i = 0; i < m_channels.size(); ++i) {
        const Channel& channel = m_channels[i];
        const Phase phase = phaseAt(channel, now);
        const bool onScreen =
            m_outputs == nullptr || m_outputs->isChannelShown(static_cast<int>(i));
        if (onScreen && (phase == Phase::Showing || phase == Phase::Ended)) {
            shown.push_back(&channel);
        }
    }
    if (shown.size() == 1) {
        return shown.front()->engine->captureFrame(fileName, tags);
    }
    int written = 0;
    for (const Channel* channel : shown) {
        written +=
            channel->engine->captureFrame(channelFileName(fileName, channel->source.label), tags);
    }
    return !shown.empty() && written == static_cast<int>(shown.size());
}

const std::string& MomentEngine::filePath() const
{
    return isSingle() ? m_single->filePath() : m_path;
}

void MomentEngine::setState(PlayState state)
{
    if (state == m_state) {
        return;
    }
    m_state = state;
    emit stateChanged(state);
}

std::uint64_t MomentEngine::clockNow()
{
    GstClock* clock = gst_system_clock_obtain();
    const GstClockTime now = gst_clock_get_time(clock);
    gst_object_unref(clock);
    return now;
}
