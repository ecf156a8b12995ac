#pragma once

#include <QDialog>
#include <QImage>
#include <QPen>
#include <QPixmap>
#include <QTimer>

#include <array>
#include <memory>

#include "assist_info_reader.h"
#include "gauges.h"
#include "map_calls.h"
#include "play_list.h"
#include "playlist_model.h"
#include "playback_engine.h"
#include "player_services.h"
#include "speed_unit.h"
#include "trip_index.h"

class CBitmapSlider;
class CPngButton;
class CSkinListCtrl;
class CWaveFormCtrl;
class QLabel;
class VideoWidget;
class VolumeWatcher;

// The player window: the skinned 1024 x 768 dialog with the video, the play list, the map,
// the G-sensor chart, the gauges and the transport buttons, all kept in step by timer 1.
class CPlayerDlg : public QDialog {
public:
    enum PlayDirection { Current = 0, Next = 1, Previous = 2 };

    explicit CPlayerDlg(PlayerServices services = PlayerServices::Desktop(), QWidget* parent = nullptr);
    ~CPlayerDlg() override;

    // Play list commands.
    void OnImport();
    void ImportPaths(const QStringList& paths);  // files or folders, as from the command line
    void OnClear();
    void OnCycle();
    void OnListDoubleClick(int row);
    void OnDeleteFile();
    void OnToggleLock();
    void ShowListMenu(const QPoint& viewportPos);
    void OnExportTrack();
    void DiscoverCard();
    // A camera card mounted while the player runs is offered on the status line.
    void OnVolumeMounted(const QString& path);
    void OnVolumeRemoved(const QString& path);
    void ImportOfferedCard();

    // Playing.
    int playRecording(PlayDirection direction);
    void userStop();
    void displayTick();
    void OnPlay();
    void OnStop();
    void SeekBy(double seconds);  // within the recording, while one is open
    void OnVolumeDown();
    void OnVolumeUp();
    void OnCapture();
    void OnRecordingEnded();
    void OnRecordingBroke();
    void OnTimer1();
    void OnTimer2();
    void drawVolumeIndicator(int level);
    void drawSpeedNeedle(int speed);
    void drawCompass(double heading);
    void ShowAbout();
    void SetSpeedUnit(SpeedUnit unit);  // speed text, chart and dial; remembered

    // State, for the window's tests and benchmarks.
    PlaybackEngine& Engine() { return engine; }
    CPlayList& Catalogue() { return catalogue; }
    const CAssistInfoReader& Telemetry() const { return telemetry; }
    CSkinListCtrl& PlayList() { return *playList; }
    CBitmapSlider& SeekBar() { return *seekBar; }
    CWaveFormCtrl& Waveform() { return *waveform; }
    QWidget* Control(int id) const;
    QString SpeedText() const;
    QString PlayButtonText() const;
    int CurrentIndex() const { return currentIndex; }
    int CycleMode() const { return cycleMode; }
    SpeedUnit Units() const { return speedUnit; }
    int ShownSpeed() const { return shownSpeed; }
    double ShownHeading() const { return shownHeading; }
    int SavedVolumeLevel() const { return savedVolumeLevel; }
    int LitVolumeBars() const;
    bool IdlePictureShown() const;
    QString StatusText() const { return statusText; }
    QString TripSummaryText() const;
    const TripIndex& Trips() const { return trips; }
    bool StatusShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public slots:
    void accept() override;  // Enter does nothing

private:
    static constexpr int kMsPerSeekStep = 200;  // one unit of the seek bar

    void CreateControls();
    void CreateButtons();
    CPngButton* MakeButton(int id, int image, const QString& text, const QString& tip, bool onSkin);
    void CreateVolumeBars();
    void SetUpPlayList();
    void SetUpSeekBar();
    void StartTimers();
    void ConnectCommands();
    void CreateShortcuts();
    void RestoreSettings();

    void ShowWindowMenu(const QPoint& globalPos);
    void ToggleFullScreen();
    void OnSeekBarMoving();
    void OnSeekBarMoved();
    void SelectCurrentRow();
    int SelectedRow() const;
    void SendTrack();
    // Trips (player_dlg_trip.cpp).
    void RefreshTrips();
    void EnsureTrips();
    int StepInTrips(PlayDirection direction);
    void ShowTripSummary();
    void ClearTripSummary();
    void ShowSummaryWhenNoNote();
    QString ExportSuggestion(int row) const;
    void ExportTrip(int row, const QString& file);
    void SetPlayButton(bool running);
    void ShowStatus(const QString& text, int shownMs = 0);
    void ResetGauges();
    void ResetDisplays();
    void ClearMap();
    void OnRecordingFailed(const QString& note);
    QString SnapshotSuggestion() const;
    void SaveSnapshot(const QString& file);
    void PaintGauges(QPainter& painter);

    PlayerServices services;
    PlaybackEngine engine;
    CPlayList catalogue;
    PlaylistModel playlistModel{catalogue};
    CAssistInfoReader telemetry;
    TripIndex trips;
    QPen needlePen{QColor(255, 0, 0), 2, Qt::SolidLine};
    CSkinListCtrl* playList = nullptr;
    CBitmapSlider* seekBar = nullptr;
    CWaveFormCtrl* waveform = nullptr;
    CPngButton* cycleButton = nullptr;
    CPngButton* prevButton = nullptr;
    CPngButton* playButton = nullptr;
    CPngButton* stopButton = nullptr;
    CPngButton* nextButton = nullptr;
    CPngButton* printButton = nullptr;
    CPngButton* captureButton = nullptr;
    CPngButton* importButton = nullptr;
    CPngButton* clearButton = nullptr;
    CPngButton* minimiseButton = nullptr;
    CPngButton* closeButton = nullptr;
    CPngButton* volumeDownButton = nullptr;
    CPngButton* volumeUpButton = nullptr;
    std::array<QLabel*, 10> volumeBars{};
    QLabel* speedText = nullptr;
    QLabel* statusLine = nullptr;
    QLabel* summaryLine = nullptr;  // the playing trip's summary, under any note
    QLabel* mapHost = nullptr;
    VideoWidget* videoArea = nullptr;
    std::unique_ptr<IMapCalls> mapView;
    int userStopped = 0;
    int currentIndex = 0;
    int cycleMode = 1;
    int savedVolumeLevel = -1;
    bool resumeAfterSeek = false;  // the seek bar was pressed while playing
    SpeedUnit speedUnit = SpeedUnit::Kmh;
    gauges::DialFace dialFace;
    QImage dialPicture;  // the face's own picture; null: the skin's
    int shownSpeed = 0;
    double shownHeading = 180.0;
    bool firstRecordingOpened = false;  // the idle picture has given way to the video
    QString statusText;
    QImage background;
    QImage idlePicture;
    QImage compassArrow;
    QImage compassSquare;  // the arrow turned by shownHeading
    QPixmap volumeOn;   // a lit bar of the volume indicator
    QPixmap volumeOff;
    QTimer timer1;  // 100 ms: the synchronised display tick
    QTimer timer2;  // 1000 ms: redraw needle and compass
    QTimer timer3;  // once, 1 s after start: card discovery
    QTimer statusTimer;  // hides a note after a few seconds
    std::unique_ptr<VolumeWatcher> volumeWatcher;
    QString offeredCard;  // a card mounted after start, until imported
};
