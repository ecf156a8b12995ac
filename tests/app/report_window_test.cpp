// The Print button's report, printed to PDF through the window's own path with the print
// dialog answered by the test, and read back with poppler's tools.
#include <QAbstractButton>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include "app/dialog_layout.h"
#include "app/incident_report.h"
#include "app/report_document.h"
#include "tests/app/window_fixture.h"

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

TEST_F(PlayerWindowTest, PrintReportsTheMomentShownWithEveryFieldAndTheFilesHashes)
{
    // Five and a half hours ahead of UTC, by a rule that needs no time zone data.
    const ScopedTimeZone zone("<+0530>-05:30");
    auto* print = qobject_cast<QAbstractButton*>(control(ctl::kPrint));
    ASSERT_NE(print, nullptr);
    EXPECT_FALSE(print->isEnabled()) << "nothing open";
    dlg->onPrint();
    EXPECT_EQ(printDialogs, 0);
    EXPECT_EQ(statusText(), "Play a recording to print a report of the moment shown.");

    dlg->onImport();
    playRow(rowOf("SIDECAR"));
    ASSERT_TRUE(waitFor([&] { return dlg->session().position() >= 2.0; }, 5000));
    dlg->onPlay();  // paused: the moment the test reads is the one printed
    ASSERT_EQ(dlg->session().state(), PlayState::Paused);
    EXPECT_TRUE(print->isEnabled());
    const double seconds = dlg->session().position();
    TelemetryEntry shown;
    ASSERT_EQ(dlg->session().telemetry().copyEntry(static_cast<int>(seconds) * 10, shown), 0);
    ASSERT_TRUE(shown.position);

    chosenReport = QDir(folder.path()).filePath("report.pdf");
    dlg->onPrint();
    ASSERT_TRUE(waitFor([&] { return printDialogs == 1; }, 30000));
    EXPECT_EQ(statusText(), "The report was printed to report.pdf.");
    EXPECT_EQ(dlg->session().state(), PlayState::Paused) << "the moment stays shown";

    const QString text = run("pdftotext", {"-enc", "UTF-8", chosenReport, "-"});
    for (const char* field : {"Incident report", "20240611_081800_SIDECAR.MOV",
                              "Date and time (UTC)", "Date and time (local)", "Speed", "Heading",
                              "G-sensor", "Peak within ±10 s", "Drawn from the logged positions"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(field))) << field << "\n" << text.toStdString();
    }
    // The fix's UTC, and the same moment on this computer's clock.
    ASSERT_TRUE(shown.utcMs);
    const QDateTime utc = QDateTime::fromMSecsSinceEpoch(*shown.utcMs, QTimeZone::utc());
    const QString format = "yyyy-MM-dd hh:mm:ss";
    EXPECT_TRUE(text.contains(utc.toString(format) + " UTC")) << text.toStdString();
    EXPECT_TRUE(text.contains(utc.addSecs(5 * 3600 + 30 * 60).toString(format) + " UTC+05:30"));
    const QString latitude = QString::fromStdString(degreesText(shown.position->latitude));
    const QString longitude = QString::fromStdString(degreesText(shown.position->longitude));
    EXPECT_TRUE(text.contains(latitude + ", " + longitude));
    EXPECT_TRUE(text.contains(QStringLiteral("https://www.openstreetmap.org/?mlat=%1&mlon=%2#map="
                                             "17/%1/%2")
                                  .arg(latitude, longitude)))
        << "the link on one line, whole";
    EXPECT_TRUE(text.contains(QStringLiteral("%1 km/h").arg(shown.speedKmh)));
    EXPECT_TRUE(text.contains(QStringLiteral("%1°").arg(shown.course, 0, 'f', 0)));
    // Both files of the recording, each as sha256sum and the file system see it.
    for (const QString name : {"20240611_081800_SIDECAR.MOV", "20240611_081800_SIDECAR.DAT"}) {
        const QString path = QDir(folder.path()).filePath(name);
        const QString sum = run("sha256sum", {path}).section(' ', 0, 0);
        ASSERT_EQ(sum.size(), 64);
        EXPECT_TRUE(text.contains("SHA-256: " + sum)) << name.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Size: %1 bytes").arg(QFileInfo(path).size())));
    }
    // The frame shown is in it, at the video's size.
    EXPECT_TRUE(
        run("pdfimages", {"-list", chosenReport}).contains(QRegularExpression(" 640 +360 ")));

    // With the trip on the map's tiles, the map's own picture is the track.
    map->picture = QImage(300, 200, QImage::Format_RGB32);
    map->picture.fill(Qt::darkGreen);
    chosenReport = QDir(folder.path()).filePath("map.pdf");
    dlg->onPrint();
    ASSERT_TRUE(waitFor([&] { return printDialogs == 2; }, 30000));
    EXPECT_TRUE(run("pdftotext", {chosenReport, "-"}).contains("The map as the player showed it"));
    EXPECT_TRUE(
        run("pdfimages", {"-list", chosenReport}).contains(QRegularExpression(" 300 +200 ")));

    // A report that cannot be saved says so and leaves nothing; a cancelled dialog prints none.
    chosenReport = QDir(folder.path()).filePath("no-such-folder/report.pdf");
    dlg->onPrint();
    ASSERT_TRUE(waitFor([&] { return printDialogs == 3; }, 30000));
    EXPECT_TRUE(statusText().startsWith("The report was not printed to report.pdf: "))
        << statusText().toStdString();
    chosenReport.clear();
    dlg->onPrint();
    ASSERT_TRUE(waitFor([&] { return printDialogs == 4; }, 30000));
    EXPECT_EQ(QDir(folder.path()).entryList({"*.pdf"}), QStringList({"map.pdf", "report.pdf"}));

    // A recording that logged nothing still has its picture and its file in the report.
    playRow(rowOf("PLAIN"));
    ASSERT_TRUE(waitFor([&] { return dlg->session().position() >= 1.0; }, 5000));
    map->picture = {};
    chosenReport = QDir(folder.path()).filePath("plain.pdf");
    dlg->onPrint();
    ASSERT_TRUE(waitFor([&] { return printDialogs == 5; }, 30000));
    const QString plain = run("pdftotext", {chosenReport, "-"});
    EXPECT_TRUE(plain.contains("no fix logged at this moment")) << plain.toStdString();
    EXPECT_TRUE(plain.contains("No position logged on this trip."));
    EXPECT_TRUE(plain.contains("20240611_081900_PLAIN.TS"));
}

// Second 15 logged no reading (all axes zero): no push of gravity's size, and nothing to show.
TEST(IncidentReport, GAroundFindsThePeakOnlyWithinItsWindow)
{
    TelemetryTable table;
    for (int second = 0; second < 40; ++second) {
        TelemetryEntry sample;
        sample.gZ = second == 15 ? 0.0f : 1.0f;
        sample.gX = second == 5 ? 0.5f : (second == 30 ? 0.9f : 0.0f);
        table.appendSample(sample);
    }
    const std::optional<GAround> g = gAround(table, 12 * kEntriesPerSample, 100);
    ASSERT_TRUE(g);
    EXPECT_NEAR(g->peakSeconds, 5.0, 1e-9) << "the push at 30 s is beyond 10 s";
    EXPECT_GT(g->peakFromRest, 0.4);
    EXPECT_LT(g->nowFromRest, 0.1);
    EXPECT_FLOAT_EQ(g->now.gZ, 1.0f);
    EXPECT_FALSE(gAround(table, 15 * kEntriesPerSample, 100)) << "no reading then";
    EXPECT_FALSE(gAround(table, 40 * kEntriesPerSample, 100)) << "past the table";
}

// The engine writes name.jpg for one channel, and name_F.jpg, name_R.jpg ... for several.
TEST(IncidentReport, TheFramesOfEveryChannelAreTakenFrontFirst)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("frame.jpg");
    for (const auto& [label, width] : {std::pair{"I", 30}, {"F", 10}, {"R", 20}}) {
        QImage picture(width, 8, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        ASSERT_TRUE(picture.save(folder.filePath(QStringLiteral("frame_%1.jpg").arg(label))));
    }
    std::vector<ReportFrame> frames = writtenFrames(file);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].label, "F");
    EXPECT_EQ(frames[0].picture.width(), 10);
    EXPECT_EQ(frames[1].label, "R");
    EXPECT_EQ(frames[2].label, "I");
    QImage whole(16, 8, QImage::Format_RGB32);
    whole.fill(Qt::gray);
    ASSERT_TRUE(whole.save(file));
    frames = writtenFrames(file);
    ASSERT_EQ(frames.size(), 1u) << "one channel: its picture alone";
    EXPECT_TRUE(frames[0].label.isEmpty());
}

// A repaired copy is not the camera's file: the report says so under its name, above its
// hash, and of no other file.
TEST(IncidentReport, ARepairedCopyIsNamedSoBesideItsFileAndHash)
{
    QTemporaryDir folder;
    IncidentFacts facts;
    facts.recording = "0001_repaired.MP4";
    facts.files = {{folder.filePath("0001_repaired.MP4"), 10, QString(64, 'a'), {}},
                   {folder.filePath("0002.MP4"), 20, QString(64, 'b'), {}}};
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath("report.pdf"));
    ASSERT_EQ(printIncidentReport(facts, printer), QString());
    const QString text = run("pdftotext", {"-enc", "UTF-8", printer.outputFileName(), "-"});
    const qsizetype name = text.lastIndexOf("0001_repaired.MP4");
    const qsizetype note = text.indexOf("Repaired copy:");
    const qsizetype hash = text.indexOf("SHA-256: " + QString(64, 'a'));
    EXPECT_TRUE(name >= 0 && name < note && note < hash) << text.toStdString();
    EXPECT_EQ(text.count("Repaired copy:"), 1);
}
