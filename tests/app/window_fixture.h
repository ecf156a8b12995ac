#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <time.h>
#include <vector>

#include "app/map_calls.h"
#include "app/player_window.h"

class SeekSlider;
class PlaylistView;
class WaveformView;

// The map calls as the window made them.
struct MapCall
{
    QString function;
    QStringList arguments;
};

class RecordingMap : public MapCalls
{
public:
    explicit RecordingMap(std::vector<MapCall>* calls) : m_calls(calls) {}
    void setPosition(const QString& latitude, const QString& longitude,
                     const QString& speed) override
    {
        m_calls->push_back({QStringLiteral("SetLgtLat"), {latitude, longitude, speed}});
    }
    static QStringList pointTexts(const MapTrack& track)
    {
        QStringList points;
        for (const MapPoint& p : track) {
            points
                << QStringLiteral("%1,%2").arg(p.latitude, 0, 'f', 6).arg(p.longitude, 0, 'f', 6);
        }
        return points;
    }
    // {number of parts, playing index, the playing part's points as "lat,lon"}.
    void setTrip(const std::vector<MapTrack>& parts, int playingPart) override
    {
        QStringList arguments = {QString::number(parts.size()), QString::number(playingPart)};
        if (playingPart >= 0 && playingPart < static_cast<int>(parts.size())) {
            arguments << pointTexts(parts[static_cast<size_t>(playingPart)]);
        }
        m_calls->push_back({QStringLiteral("setTrip"), arguments});
    }
    void clearMap() override { m_calls->push_back({QStringLiteral("clearMap"), {}}); }
    void whenLoaded(std::function<void()> callback) override { loaded = std::move(callback); }
    void grabTrip(std::function<void(const QImage&)> done) override { done(picture); }
    void whenPassedHereAsked(std::function<void(double, double, double)> asked) override
    {
        passedHereAsked = std::move(asked);
    }
    // A file named "unreadable..." is refused as the map would refuse it.
    bool setTileFile(const QString& path, QString* error) override
    {
        m_calls->push_back({QStringLiteral("setTileFile"), {path}});
        *error = QStringLiteral("%1 is no tile file.").arg(path);
        return !path.contains(QLatin1String("unreadable"));
    }

    std::function<void()> loaded;  // what the window asked to be called on page load
    // What the window asked to be called when the user asks "passed here" on the map.
    std::function<void(double, double, double)> passedHereAsked;
    QImage picture;  // the map's picture; null: the map shows no trip

private:
    std::vector<MapCall>* m_calls;
};

// Once the next popup menu opens: its action texts go to *texts, and the action whose text
// is choose is triggered (none: the menu is closed).
void onNextMenu(QStringList* texts, const QString& choose);

// The local time zone of the process set to a fixed rule for a test, and put back after it.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const QByteArray& rule)
        : m_saved(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", rule);
        ::tzset();
    }
    ~ScopedTimeZone()
    {
        m_had ? qputenv("TZ", m_saved) : qunsetenv("TZ");
        ::tzset();
    }

private:
    QByteArray m_saved;
    bool m_had;
};

// Runs the event loop until the condition holds or the time is up.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void spin(int ms)
{
    waitFor([] { return false; }, ms);
}

// Sample recordings (made once per test program) copied into a fresh folder per test,
// and a player window wired to recording stand-ins for the desktop's dialogs and the map.
class PlayerWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;
    void makeWindow();

    // Path of a sample in this test's folder, by the layout part of its name ("ICAT").
    QString samplePath(const QString& layout) const;
    int rowOf(const QString& layout) const;
    QString cell(int row, int column) const;
    int mapCallCount(const QString& function) const;
    const MapCall* last(const QString& function) const;
    void playRow(int row);

    // The window's widgets, found as a user's tools find them: by their object names.
    QWidget* control(const QString& name) const;
    PlaylistView& playlistView() const;
    SeekSlider& seekSlider() const;
    WaveformView& waveformView() const;
    QString speedText() const;
    QString playButtonText() const;
    QString statusText() const;  // the last note, whole (the line may show it shortened)
    bool statusShown() const;
    QString tripSummaryText() const;
    // The window closed and opened again, as at the next start of the program.
    void restartWindow();

    static inline QTemporaryDir* samples = nullptr;
    QTemporaryDir folder;
    QTemporaryDir mountRoot;  // where the automounter mounts volumes after start
    std::vector<MapCall> mapCalls;
    QStringList questions;
    bool confirmAnswer = true;
    RecordingMap* map = nullptr;
    QString chosenFolder;
    QStringList folderStarts;  // where each import dialog opened
    QString chosenSnapshot;
    QString chosenExport;
    QString chosenTileFile;
    std::optional<ClipTarget> chosenClip;
    QStringList exportStarts;
    QStringList snapshotStarts;
    QString chosenReport;  // the PDF the print dialog is set to; empty: cancelled
    int printDialogs = 0;
    std::vector<std::string> volumes;
    QHash<QString, VolumeIdentity> volumeIdentities;  // by mount root: the cards' labels and UUIDs
    std::unique_ptr<PlayerWindow> dlg;
};
