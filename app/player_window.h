#pragma once

#include <QImage>
#include <QPen>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

#include "app/events_dialog.h"
#include "app/gauges.h"
#include "app/library_dialog.h"
#include "app/library_places.h"
#include "app/map_calls.h"
#include "app/player_services.h"
#include "app/player_settings.h"
#include "app/recording_repairer.h"
#include "app/window_layout.h"
#include "session/playback_session.h"
#include "telemetry/g_events.h"
#include "telemetry/speed_unit.h"

class SeekSlider;
class SkinButton;
class PlaylistView;
class WaveformView;
class QLabel;
class ChannelsView;
class QMenu;
class CardArrivals;
class ClipExportJob;
class QProgressDialog;
struct ClipJobResult;
class IncidentReportJob;
class LibraryView;
class LibraryWorker;

// The player window: the skinned 1024 x 768 window with the video, the play list, the map,
// the G-sensor chart, the gauges and the transport buttons. What plays and when is the
// session's; the window shows what the session's signals say, the play position among them.
class PlayerWindow : public QWidget
{
public:
    explicit PlayerWindow(PlayerServices services = PlayerServices::desktop(),
                          QWidget* parent = nullptr);
    ~PlayerWindow() override;

    // Play list commands.
    void onImport();
    void importPaths(const QStringList& paths);  // files or folders, as from the command line
    void onClear();
    void onCycle();
    void onListDoubleClick(int row);
    void onDeleteFile();
    void onToggleLock();
    void showListMenu(const QPoint& viewportPos);
    // The list shows only the recordings the camera marked as events.
    void setEventsOnly(bool on);
    bool eventsOnly() const;
    void onExportTrack();
    // A copy of a recording cut off before its index, repaired off the window's thread.
    void onRepairFile();
    // The detected events of the open recording's trip (else the selected row's), in a
    // dialog that stays open beside the window; a click plays from 5 s before an event.
    void showEvents();
    EventsDialog* eventsDialog() const { return m_eventsDialog; }
    // The thresholds events are detected with; remembered, and the marks follow.
    void setEventThresholds(const GEventThresholds& thresholds);
    const GEventThresholds& eventThresholds() const { return m_eventThresholds; }
    void discoverCard();
    // A camera card mounted while the player runs is offered on the status line.
    void onCardArrived(const QString& path);
    void onVolumeRemoved(const QString& path);
    void importOfferedCard();
    // A recording the library found (player_window_library_play.cpp): listed with its moment
    // as an import of the file lists it, and played from the UTC moment (from the start when
    // none); a file that is not there only says so.
    void playFromLibrary(const QString& path, std::optional<qint64> utcMs);
    // The library's questions (player_window_library_ask.cpp), each in its dialog beside the
    // window: which recordings passed within metres of the place (asked from the map), and
    // where the car was at a date and time.
    void askPassedHere(double latitude, double longitude, double metres);
    void showWhereAt();
    LibraryDialog* passedHereDialog() const { return m_passedHereDialog; }
    LibraryDialog* whereAtDialog() const { return m_whereAtDialog; }
    // The library (player_window_library.cpp): every import goes to it in the background;
    // its view beside the play list shows what it holds, on the map too, and plays it.
    void showLibrary();
    LibraryView* libraryView() const;
    void chooseLibraryLocation();

    // Playing.
    // Seek bar, chart, map and gauges at the play position.
    void showPosition(double seconds, const TelemetryEntry* entry);
    void onPlay();
    void onStop();
    void onVolumeDown();
    void onVolumeUp();
    void onCapture();
    // The report of the moment shown, to the print dialog (player_window_report.cpp).
    void onPrint();
    void drawVolumeIndicator(int level);
    void drawSpeedNeedle(int speed);
    void drawCompass(double heading);
    void showAbout();
    // Clips (player_window_clip.cpp): the marks at the play position, and the export of the
    // span between them, on a worker while playback goes on.
    void setMark(PlaybackSession::Mark which);
    void onExportClip();
    bool clipExportRunning() const;
    void cancelClipExport();
    void setSpeedUnit(SpeedUnit unit);  // speed text, chart and dial; remembered
    // The map's tiles (player_window_map.cpp): from a file the user picks, or from the
    // tile server; remembered.
    void addTileSourceActions(QMenu& menu);
    void useTileFile(const QString& path);

    PlaybackSession& session() { return m_session; }

    // What the gauges show, for the window's tests and benchmarks.
    SpeedUnit units() const { return m_speedUnit; }
    int shownSpeed() const { return m_shownSpeed; }
    double shownHeading() const { return m_shownHeading; }
    int litVolumeBars() const;
    bool idlePictureShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The seek bar's kinds of ticks: the clip marks, and the detected events over them.
    static constexpr int kMarkTicks = 0;
    static constexpr int kEventTicks = 1;

    // The seek bar counts milliseconds.
    static int seekBarMs(double seconds) { return static_cast<int>(seconds * 1000); }
    static double seekBarSeconds(int ms) { return ms / 1000.0; }

    void connectSession();

    void createControls();
    void createButtons();
    SkinButton* makeButton(const QString& name, const QString& picture, const QString& text,
                           const QString& tip, bool onSkin);
    void createVolumeBars();
    void setUpPlayList();
    void setUpSeekBar();
    void startTimers();
    void connectCommands();
    void createShortcuts();
    void restoreSettings();
    void restorePlayList();
    void onListChanged();
    void savePlayList();

    void showWindowMenu(const QPoint& globalPos);
    void addEventsOnlyAction(QMenu& menu);
    // The window on the desktop (player_window_frame.cpp).
    void setUpWindowFrame();
    void placeControls();
    void fitSeekBar(const QRect& placed);
    QPoint gaugeOffset() const;  // where the gauges sit, from their place on the skin
    Qt::Edges edgesAt(QPoint pos) const;
    void followPointer(QPoint delta);  // a drag of the title strip or an edge
    void toggleMaximised();
    void toggleFullScreen();
    void onSeekBarMoving();
    void onSeekBarMoved();
    void showTrack(int row, double durationSeconds);
    void showEventMarks();  // the open recording's events on the seek bar and the chart
    void showEventsOf(int row);
    void showEntry(int row);  // the row the session shows as current, selected
    int selectedRow() const;
    bool rowLacksIndex(int row) const;
    void sendTrack();
    // Trips (player_window_trip.cpp).
    void showTrip();
    void showTripSummary();
    void clearTripSummary();
    void showSummaryWhenNoNote();
    QString exportSuggestion(int row);
    void exportTrip(int row, const QString& file);
    void setPlayButton(bool running);
    void showStatus(const QString& text, int shownMs = 0);
    void resetGauges();
    void resetDisplays();
    void clearMap();
    QString snapshotSuggestion() const;
    void saveSnapshot(const QString& file);
    void paintGauges(QPainter& painter);
    void showMarkTicks();
    void startClipExport(const MarkedSpan& span, const ClipTarget& target);
    void onClipExported(const ClipJobResult& result);
    void setUpReport();
    void printReport();
    LibraryDialog* libraryDialog(LibraryDialog::Question question);
    void setUpLibrary();
    void addToLibrary(const QStringList& paths);
    QString libraryLocation() const;
    void showLibraryOpening(const QString& location, const LibraryOpening& opening);
    void rebuildLibrary();
    void onLibraryImported(const ImportSummary& summary);
    // The cards mounted now, by filesystem UUID.
    MountedCards mountedCards() const;
    // From its moment (UTC ms), when given; from a card that is out when the card arrives.
    void playLibraryRecording(const LibraryRecording& recording, std::optional<qint64> utcMs);
    void playAwaitedRecording(const QString& arrivedRoot);
    void showLibraryTrack(const StoredTrack& track);
    void libraryCardArrived(const QString& root);
    void libraryCardRemoved(const QString& root);
    void libraryCardsChanged();

    PlayerServices m_services;
    PlaybackSession m_session;
    QPen m_needlePen{QColor(255, 0, 0), 2, Qt::SolidLine};
    PlaylistView* m_playlistView = nullptr;
    SeekSlider* m_seekSlider = nullptr;
    WaveformView* m_waveformView = nullptr;
    SkinButton* m_cycleButton = nullptr;
    SkinButton* m_prevButton = nullptr;
    SkinButton* m_playButton = nullptr;
    SkinButton* m_stopButton = nullptr;
    SkinButton* m_nextButton = nullptr;
    SkinButton* m_printButton = nullptr;
    SkinButton* m_captureButton = nullptr;
    SkinButton* m_importButton = nullptr;
    SkinButton* m_clearButton = nullptr;
    SkinButton* m_minimiseButton = nullptr;
    SkinButton* m_closeButton = nullptr;
    SkinButton* m_volumeDownButton = nullptr;
    SkinButton* m_volumeUpButton = nullptr;
    std::array<QLabel*, 10> m_volumeBars{};
    QLabel* m_speedLabel = nullptr;
    QLabel* m_statusLine = nullptr;
    QLabel* m_summaryLine = nullptr;  // the playing trip's summary, under any note
    QLabel* m_mapHost = nullptr;
    ChannelsView* m_videoArea = nullptr;
    std::unique_ptr<MapCalls> m_mapView;
    SpeedUnit m_speedUnit = SpeedUnit::Kmh;
    gauges::DialFace m_dialFace;
    QImage m_dialPicture;  // the face's own picture; null: the skin's
    int m_shownSpeed = 0;
    double m_shownHeading = 180.0;
    bool m_firstRecordingOpened = false;  // the idle picture has given way to the video
    QImage m_background;
    WindowLayout m_layout{skin::kSize};
    QImage m_windowBackground;  // the skin stretched to the window's size
    struct Drag
    {
        bool armed = false;   // a left press on the title strip or an edge
        bool manual = false;  // the window follows the pointer itself
        Qt::Edges edges;      // none: a move
        QPoint pressGlobal;
        QRect startGeometry;
    } m_drag;
    QImage m_idlePicture;
    QImage m_compassArrow;
    QImage m_compassSquare;  // the arrow turned by m_shownHeading
    QPixmap m_volumeOn;      // a lit bar of the volume indicator
    QPixmap m_volumeOff;
    QTimer m_cardDiscovery;  // once, a moment after start: a camera card already in
    QTimer m_statusTimer;    // hides a note after a few seconds
    std::unique_ptr<CardArrivals> m_cardArrivals;
    QString m_offeredCard;                           // a card mounted after start, until imported
    std::unique_ptr<IncidentReportJob> m_reportJob;  // a report being made
    std::unique_ptr<RecordingRepairer> m_repairer;   // made at the first repair
    GEventThresholds m_eventThresholds;
    QPointer<EventsDialog> m_eventsDialog;
    QPointer<LibraryDialog> m_passedHereDialog;
    QPointer<LibraryDialog> m_whereAtDialog;
    player_settings::PlayList m_savedList;  // as last written: an unchanged list is not again
    std::unique_ptr<ClipExportJob> m_clipJob;
    QProgressDialog* m_clipProgress = nullptr;  // while a clip is exported
    std::unique_ptr<LibraryWorker> m_library;   // adds every import
    QPointer<LibraryView> m_libraryView;        // made when first shown
    // Asked to play from the library while its card was out: plays when the card arrives.
    struct AwaitedRecording
    {
        LibraryRecording recording;
        std::optional<qint64> utcMs;
    };
    std::optional<AwaitedRecording> m_awaitedRecording;
    QSet<QString> m_arrivedCards;  // volumes reported as cards since start, until removed
};
