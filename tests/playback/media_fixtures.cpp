#include "tests/playback/media_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gst/gst.h>

#include <stdexcept>

namespace media {
namespace {

QString mediaDir()
{
    const QString dir = QStringLiteral(PLAYBACK_MEDIA_DIR);
    QDir().mkpath(dir);
    return dir;
}

// Runs a gst-launch pipeline that writes `location` to its end.
bool runPipeline(const QString& description)
{
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (pipeline == nullptr) {
        g_clear_error(&error);
        return false;
    }
    g_clear_error(&error);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* done = gst_bus_timed_pop_filtered(
        bus, 120 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = done != nullptr && GST_MESSAGE_TYPE(done) == GST_MESSAGE_EOS;
    if (done != nullptr) {
        gst_message_unref(done);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

// Several test processes may ask at once: each writes its own temporary file
// and the rename makes the finished one appear whole.
template <typename Make>
QString fixture(const QString& name, Make make)
{
    const QString path = mediaDir() + '/' + name;
    if (QFileInfo::exists(path)) {
        return path;
    }
    const QString temporary =
        path + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    if (!make(temporary)) {
        throw std::runtime_error("cannot make fixture " + name.toStdString());
    }
    QFile::remove(path);
    QFile::rename(temporary, path);
    return path;
}

QString videoBranch(int frames)
{
    return QStringLiteral("videotestsrc num-buffers=%1 pattern=smpte ! "
                          "video/x-raw,format=I420,width=320,height=240,"
                          "framerate=30/1 ! x264enc speed-preset=ultrafast key-int-max=15 ! "
                          "h264parse ! queue ! mux.")
        .arg(frames);
}
const char* const kAudio =
    "audiotestsrc num-buffers=86 samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=1"
    " ! avenc_aac ! aacparse ! queue ! mux.";

bool writeMovie(const QString& path, const QString& branches, bool indexFirst)
{
    return runPipeline(QStringLiteral("qtmux name=mux faststart=%1 ! filesink location=\"%2\" %3")
                           .arg(indexFirst ? "true" : "false", path, branches));
}

QString indexedVideo()
{
    return fixture("indexed.mov", [](const QString& path) {
        return writeMovie(path, videoBranch(60) + ' ' + kAudio, true);
    });
}

QString videoOnly()
{
    return fixture("video-only.mov",
                   [](const QString& path) { return writeMovie(path, videoBranch(60), false); });
}

}  // namespace

bool truncateCopy(const QString& source, const QString& target, double fraction)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = in.readAll();
    const auto kept = static_cast<qsizetype>(bytes.size() * fraction);
    return out.write(bytes.left(kept)) == kept;
}

namespace {

// Writes `target` as `source` changed by `edit`, which says whether it found what to change.
template <typename Edit>
bool editCopy(const QString& source, const QString& target, Edit edit)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray bytes = in.readAll();
    return edit(bytes) && out.write(bytes) == bytes.size();
}

// Renames the sample description's coding so that no decoder takes the stream.
bool renameCoding(const QString& source, const QString& target)
{
    return editCopy(source, target, [](QByteArray& bytes) {
        const qsizetype at = bytes.indexOf("avc1");
        if (at >= 0) {
            bytes.replace(at, 4, "zzzz");
        }
        return at >= 0;
    });
}

}  // namespace

// Gives the first track's sample `index` a size beyond any the demuxer reads: it
// fails there, with an error, as at the first damaged block of a recording.
bool breakSample(const QString& source, const QString& target, int index)
{
    return editCopy(source, target, [index](QByteArray& bytes) {
        const qsizetype table = bytes.indexOf("stsz");
        const qsizetype entry = table + 16 + 4 * index;
        if (table < 0 || entry + 4 > bytes.size()) {
            return false;
        }
        bytes.replace(entry, 4, QByteArray("\x7f\xff\xff\xf0", 4));
        return true;
    });
}

QString videoWithAudio()
{
    return fixture("video.mov", [](const QString& path) {
        return writeMovie(path, videoBranch(60) + ' ' + kAudio, false);
    });
}

QString audioOnly()
{
    return fixture("audio.mov",
                   [](const QString& path) { return writeMovie(path, kAudio, false); });
}

QString textRenamedMov()
{
    return fixture("text.MOV", [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) &&
               file.write("This is a shopping list, not a movie.\nMilk\nBread\n") > 0;
    });
}

QString truncatedNoIndex()
{
    return fixture("truncated-noindex.mov",
                   [](const QString& path) { return truncateCopy(videoWithAudio(), path, 0.5); });
}

QString truncatedIndexed()
{
    return fixture("truncated-indexed.mov",
                   [](const QString& path) { return truncateCopy(indexedVideo(), path, 0.6); });
}

QString damagedAfterTenSeconds()
{
    return fixture("damaged-10s.mov", [](const QString& path) {
        const QString whole = path + ".whole";
        const bool made = writeMovie(whole, videoBranch(360) + ' ' + kAudio, false) &&
                          breakSample(whole, path, 300);
        QFile::remove(whole);
        return made;
    });
}

QString undecodableVideo()
{
    return fixture("undecodable.mov",
                   [](const QString& path) { return renameCoding(videoOnly(), path); });
}

}  // namespace media
