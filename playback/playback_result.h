#pragma once

#include <QString>

#include <utility>

// What went wrong with an engine operation, when something did.
enum class PlaybackError {
    None,
    Failed,           // the pipeline refused a change of state or a seek
    InvalidArgument,  // a name, a file or an output the engine cannot use
    FileNotFound,
    UnsupportedStream,  // not a movie, or one no camera writes
    NoDecoder,          // no decoder for a stream, or it could not decode
    TimedOut,           // no picture within the bound
};

// The outcome of an engine operation: success, or the kind of failure and a text for the
// user (GStreamer's own message when it gave one; may be empty).
class PlaybackResult
{
public:
    PlaybackResult() = default;
    PlaybackResult(PlaybackError error, QString reason = {})
        : m_error(error), m_reason(std::move(reason))
    {}

    bool ok() const { return m_error == PlaybackError::None; }
    explicit operator bool() const { return ok(); }
    PlaybackError error() const { return m_error; }
    const QString& reason() const { return m_reason; }

private:
    PlaybackError m_error = PlaybackError::None;
    QString m_reason;
};
