#pragma once

#include <QDialog>
#include <QImage>
#include <QPen>
#include <QPixmap>
#include <QTimer>

#include <array>
#include <memory>

#include "gauges.h"
#include "map_calls.h"
#include "playback_session.h"
#include "player_services.h"
#include "speed_unit.h"

class CBitmapSlider;
class CPngButton;
class CSkinListCtrl;
class CWaveFormCtrl;
class QLabel;
class VideoWidget;
class VolumeWatcher;

// The player window: the skinned 1024 x 768 dialog with the video, the play list, the map,
// the G-sensor chart, the gauges and the transport buttons. What plays and when is the
// session's; the window shows it, kept in step by the 100 ms display tick.
class CPlayerDlg : public QDialog {
public:
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
    void displayTick();  // seek bar, chart, map and gauges at the play position
    void OnPlay();
    void OnStop();
    void OnVolumeDown();
    void OnVolumeUp();
    void OnCapture();
    void drawVolumeIndicator(int level);
    void drawSpeedNeedle(int speed);
    void drawCompass(double heading);
    void ShowAbout();
    void SetSpeedUnit(SpeedUnit unit);  // speed text, chart and dial; remembered

    PlaybackSession& session() { return m_session; }

    // What the gauges show, for the window's tests and benchmarks.
    SpeedUnit Units() const { return speedUnit; }
    int ShownSpeed() const { return shownSpeed; }
    double ShownHeading() const { return shownHeading; }
    int LitVolumeBars() const;
    bool IdlePictureShown() const;

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
    static int seekBarUnits(double seconds) { return static_cast<int>(seconds * 1000 / kMsPerSeekStep); }
    static double seekBarSeconds(int units) { return units * kMsPerSeekStep / 1000.0; }

    void connectSession();

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
    void onDisplayTick();
    void onNeedleTick();
    void showTrack(int row, double durationSeconds);
    void showEntry(int row);  // the row the session shows as current, selected
    int SelectedRow() const;
    void SendTrack();
    // Trips (player_dlg_trip.cpp).
    void ShowTripSummary();
    void ClearTripSummary();
    void ShowSummaryWhenNoNote();
    QString ExportSuggestion(int row);
    void ExportTrip(int row, const QString& file);
    void SetPlayButton(bool running);
    void ShowStatus(const QString& text, int shownMs = 0);
    void ResetGauges();
    void ResetDisplays();
    void ClearMap();
    QString SnapshotSuggestion() const;
    void SaveSnapshot(const QString& file);
    void PaintGauges(QPainter& painter);

    PlayerServices services;
    PlaybackSession m_session;
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
    SpeedUnit speedUnit = SpeedUnit::Kmh;
    gauges::DialFace dialFace;
    QImage dialPicture;  // the face's own picture; null: the skin's
    int shownSpeed = 0;
    double shownHeading = 180.0;
    bool firstRecordingOpened = false;  // the idle picture has given way to the video
    QImage background;
    QImage idlePicture;
    QImage compassArrow;
    QImage compassSquare;  // the arrow turned by shownHeading
    QPixmap volumeOn;   // a lit bar of the volume indicator
    QPixmap volumeOff;
    QTimer m_displayTick;    // seek bar, chart, map and gauges follow the play position
    QTimer m_needleTick;     // needle and compass drawn again
    QTimer m_cardDiscovery;  // once, a moment after start: a camera card already in
    QTimer statusTimer;  // hides a note after a few seconds
    std::unique_ptr<VolumeWatcher> volumeWatcher;
    QString offeredCard;  // a card mounted after start, until imported
};
