// The marks of a clip, kept by recording across a trip, and the export of the span they
// make on a worker thread, over real recordings and the real clip cut.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <chrono>
#include <thread>
#include <tuple>

#include "session/clip_export_job.h"
#include "session/playback_session.h"
#include "tests/session/fake_media_engine.h"

namespace {

constexpr double kRecordingSeconds = 12.0;
const char kFirst[] = "20240611_081500_ICAT.MOV";
const char kSecond[] = "20240611_081600_A7L.MOV";
const char kThird[] = "20240611_081700_NT96650A.MOV";
const char kRear[] = "20240611_081600_R.MOV";  // the rear camera's, beside the second

// Three recordings of one trip (08:15:00, 08:16:00 and 08:17:00, 12 s each), and a rear
// camera's file beside the second, written once per process.
class SampleTrip
{
public:
    SampleTrip()
    {
        QProcess maker;
        maker.start(QStringLiteral(SAMPLE_MAKER),
                    {folder.path(), QStringLiteral("12"), QStringLiteral("ICAT"),
                     QStringLiteral("A7L"), QStringLiteral("NT96650A")});
        made =
            maker.waitForFinished(120000) && maker.exitCode() == 0 &&
            QFile::copy(QString::fromStdString(path(kSecond)), QString::fromStdString(path(kRear)));
    }
    std::string path(const char* name) const
    {
        return QFile::encodeName(QDir(folder.path()).filePath(QString::fromLatin1(name)))
            .toStdString();
    }
    QTemporaryDir folder;
    bool made = false;
};

const SampleTrip& sampleTrip()
{
    static const SampleTrip trip;
    return trip;
}

// The out mark in a later recording, set before the in mark: the span runs from the in mark
// in the first to the out mark in the third, over the second but not the rear camera's file
// beside it, and its clip takes the next free name.
TEST(ClipMarks, MarksInTwoRecordingsOfATripMakeOneRequestAcrossTheirChannel)
{
    const SampleTrip& trip = sampleTrip();
    ASSERT_TRUE(trip.made);
    auto made = std::make_unique<FakeMediaEngine>();
    made->scripts[kFirst].duration = kRecordingSeconds;
    made->scripts[kSecond].duration = kRecordingSeconds;
    made->scripts[kThird].duration = kRecordingSeconds;
    PlaybackSession session(std::move(made));
    session.importFolder(QFile::encodeName(trip.folder.path()).toStdString());
    ASSERT_EQ(session.catalogue().count(), 4);
    QString problem;
    EXPECT_FALSE(session.setMark(PlaybackSession::Mark::In)) << "nothing open";

    session.playEntry(session.catalogue().rowOf(trip.path(kThird)));
    session.seekTo(3.0);
    ASSERT_TRUE(session.setMark(PlaybackSession::Mark::Out));
    EXPECT_FALSE(session.markedSpan(problem));
    EXPECT_EQ(problem, QStringLiteral("there is no in mark (key I)"));
    session.playEntry(session.catalogue().rowOf(trip.path(kFirst)));
    session.seekTo(7.5);
    ASSERT_TRUE(session.setMark(PlaybackSession::Mark::In));

    const std::optional<MarkedSpan> span = session.markedSpan(problem);
    ASSERT_TRUE(span) << problem.toStdString();
    const QTemporaryDir target;
    const std::string folder = QFile::encodeName(target.path()).toStdString();
    QFile taken(target.filePath(QStringLiteral("clip_20240611_081507_F.gpx")));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    const std::vector<ClipRequest> requests = clipRequests(*span, folder, SpeedUnit::Mph);
    ASSERT_EQ(requests.size(), 1u);
    const ClipRequest& request = requests.front();
    EXPECT_EQ(request.recordings,
              (std::vector<std::string>{trip.path(kFirst), trip.path(kSecond), trip.path(kThird)}));
    EXPECT_DOUBLE_EQ(request.in, 7.5);
    EXPECT_DOUBLE_EQ(request.out, 3.0);
    EXPECT_EQ(request.folder, folder);
    EXPECT_EQ(request.name, "clip_20240611_081507_F-2");
    EXPECT_EQ(request.unit, SpeedUnit::Mph);

    // An out mark in the rear camera's file makes none, nor one set before the in mark.
    session.playEntry(session.catalogue().rowOf(trip.path(kRear)));
    ASSERT_TRUE(session.setMark(PlaybackSession::Mark::Out));
    EXPECT_FALSE(session.markedSpan(problem));
    EXPECT_EQ(problem, QStringLiteral("the marks lie in recordings of different channels"));
    session.playEntry(session.catalogue().rowOf(trip.path(kFirst)));
    session.seekTo(5.0);
    ASSERT_TRUE(session.setMark(PlaybackSession::Mark::Out));
    EXPECT_FALSE(session.markedSpan(problem));
    EXPECT_EQ(problem, QStringLiteral("the out mark is not after the in mark"));
    QSignalSpy marks(&session, &PlaybackSession::marksChanged);
    session.clear();
    EXPECT_EQ(marks.size(), 1);
    EXPECT_FALSE(session.marks().in || session.marks().out);
}

// A moment of two channels, the rear starting 2 s after the front: the marks are times of
// the moment, so each channel's request has them on its own clock, and a channel that had
// not started by the out mark has no clip.
TEST(ClipMarks, MarksInAMomentOfSeveralChannelsMakeARequestPerChannelOnItsOwnClock)
{
    const QTemporaryDir folder;
    QProcess maker;
    maker.start(QStringLiteral(SAMPLE_MAKER),
                {folder.path(), QStringLiteral("12"), QStringLiteral("AB")});
    ASSERT_TRUE(maker.waitForFinished(120000) && maker.exitCode() == 0);
    auto made = std::make_unique<FakeMediaEngine>();
    made->scripts["2024_0611_081636_001A.MP4"].duration = kRecordingSeconds + 2;
    PlaybackSession session(std::move(made));
    session.importFolder(QFile::encodeName(folder.path()).toStdString());
    ASSERT_EQ(session.catalogue().count(), 1);
    session.playEntry(0);
    const auto mark = [&](double in, double out) {
        session.seekTo(in);
        session.setMark(PlaybackSession::Mark::In);
        session.seekTo(out);
        session.setMark(PlaybackSession::Mark::Out);
    };
    mark(2.5, 7.0);
    QString problem;
    std::optional<MarkedSpan> span = session.markedSpan(problem);
    ASSERT_TRUE(span) << problem.toStdString();
    const QTemporaryDir target;
    const std::string into = QFile::encodeName(target.path()).toStdString();
    const std::vector<ClipRequest> requests = clipRequests(*span, into, SpeedUnit::Kmh);
    ASSERT_EQ(requests.size(), 2u);
    const std::vector<std::tuple<std::string, double, double, std::string>> expected = {
        {"001A.MP4", 2.5, 7.0, "clip_20240611_081638_F"},
        {"001B.MP4", 0.5, 5.0, "clip_20240611_081638_R"}};
    for (size_t i = 0; i < requests.size(); ++i) {
        const auto& [file, in, out, name] = expected[i];
        ASSERT_EQ(requests[i].recordings.size(), 1u);
        EXPECT_TRUE(requests[i].recordings.front().ends_with(file)) << file;
        EXPECT_DOUBLE_EQ(requests[i].in, in) << file;
        EXPECT_DOUBLE_EQ(requests[i].out, out) << file;
        EXPECT_EQ(requests[i].name, name);
    }

    mark(0.5, 1.8);
    span = session.markedSpan(problem);
    ASSERT_TRUE(span) << problem.toStdString();
    ASSERT_EQ(span->channels.size(), 1u) << "the rear starts at 2 s";
    EXPECT_EQ(span->channels.front().channel, Channel::Front);
    mark(1.5, 3.0);
    span = session.markedSpan(problem);
    ASSERT_TRUE(span && span->channels.size() == 2u);
    EXPECT_DOUBLE_EQ(span->channels[1].in, 0.0) << "from the rear's start";
    EXPECT_DOUBLE_EQ(span->channels[1].out, 1.0);
}

// Cancel pressed while the copy runs (held at its first report until then): the job says
// so and no file is left in the folder, hidden temporary ones included. Run again without
// a cancel, the same job writes all three files.
TEST(ClipExportJob, ACancelLeavesNoFileAndTheNextExportWritesAll)
{
    const SampleTrip& trip = sampleTrip();
    ASSERT_TRUE(trip.made);
    const QTemporaryDir target;
    ClipRequest request;
    request.recordings = {trip.path(kFirst)};
    request.in = 1.0;
    request.out = 10.0;
    request.folder = QFile::encodeName(target.path()).toStdString();
    request.name = "clip";
    const auto heldUntilCancelled = [](const ClipRequest& clip, const CopyControl& control) {
        const CopyControl held{[&control](double share) {
                                   control.progress(share);
                                   for (int i = 0; i < 1000 && !control.cancelled(); ++i) {
                                       std::this_thread::sleep_for(std::chrono::milliseconds(10));
                                   }
                               },
                               control.cancel};
        return exportClip(clip, held);
    };
    ClipExportJob job;
    QSignalSpy finished(&job, &ClipExportJob::finished);
    const QMetaObject::Connection cancelAtOnce =
        QObject::connect(&job, &ClipExportJob::progress, &job, &ClipExportJob::cancel);
    ASSERT_TRUE(job.start({request}, heldUntilCancelled));
    EXPECT_FALSE(job.start({request}, exportClip)) << "one export at a time";
    ASSERT_TRUE(finished.wait(30000));
    ClipJobResult result = finished.takeFirst().at(0).value<ClipJobResult>();
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(job.running());
    EXPECT_TRUE(
        QDir(target.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    QObject::disconnect(cancelAtOnce);
    ASSERT_TRUE(job.start({request}, exportClip));
    ASSERT_TRUE(finished.wait(30000));
    result = finished.takeFirst().at(0).value<ClipJobResult>();
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.written.size(), 3);
    for (const QString& file : result.written) {
        EXPECT_TRUE(QFileInfo(file).size() > 0) << file.toStdString();
    }
}

}  // namespace
