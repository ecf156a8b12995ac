// The player window: construction, layout, painting and window commands.
#include "app/player_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QWindow>

#include <functional>

#include "app/about_dialog.h"
#include "app/card_arrivals.h"
#include "app/dialog_layout.h"
#include "app/gauges.h"
#include "app/incident_report.h"
#include "app/library_view.h"
#include "app/library_worker.h"
#include "app/player_settings.h"
#include "app/volume_watcher.h"
#include "controls/playlist_view.h"
#include "controls/seek_slider.h"
#include "controls/skin_button.h"
#include "instruments/waveform_view.h"
#include "playback/channels_view.h"
#include "playback/moment_engine.h"
#include "res/resources.h"
#include "session/clip_export_job.h"
#include "skin/skin_geometry.h"
#include "skin/skin_palette.h"

namespace {

constexpr int kStatusShownMs = 6000;
constexpr int kCardDiscoveryDelayMs = 1000;

// The GStreamer engine the session drives; the window keeps no hold on it.
std::unique_ptr<MediaEngine> gstreamerEngine(const QString& audioSink)
{
    auto engine = std::make_unique<MomentEngine>();
    engine->setAudioSink(audioSink);
    return engine;
}

QLabel* makeStatic(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(controlRect(name));
    label->setObjectName(name);
    return label;
}

// A hidden line of text on the title strip, between the title and its buttons.
QLabel* makeTitleStripLine(QWidget* parent, const QString& name, const QColor& colour)
{
    auto* line = new QLabel(parent);
    line->setGeometry(ctl::kTitleStripText);
    line->setObjectName(name);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, colour);
    line->setPalette(palette);
    line->hide();
    return line;
}

// Calls back whenever the watched widget is shown or hidden, by whichever code does it.
class VisibilityWatch : public QObject
{
public:
    VisibilityWatch(QWidget* watched, std::function<void()> changed)
        : QObject(watched), m_changed(std::move(changed))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
            m_changed();
        }
        return false;
    }

private:
    std::function<void()> m_changed;
};

// The window's font: Arial with a 12-pixel cell, the font the layout units are measured in.
// The desktop's default is wider and would cut the list's times off in their 130-pixel column.
QFont windowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

}  // namespace

PlayerWindow::PlayerWindow(PlayerServices playerServices, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_services(std::move(playerServices)),
      m_session(gstreamerEngine(m_services.audioSink))
{
    m_background = skinPicture(QStringLiteral("skin.png"));
    m_idlePicture = skinPicture(QStringLiteral("idle.jpg"));
    m_compassArrow = skinPicture(QStringLiteral("compass-arrow.png"));
    m_volumeOn = QPixmap::fromImage(skinPicture(QStringLiteral("volume-lit.png")));
    m_volumeOff = QPixmap::fromImage(skinPicture(QStringLiteral("volume-unlit.png")));
    m_compassSquare = gauges::rotateArrow(m_compassArrow, m_shownHeading);

    setUpWindowFrame();
    setWindowTitle(QStringLiteral("Player"));
    setWindowIcon(QIcon(skinResourcePath(QStringLiteral("icon.png"))));
    setFont(windowFont());
    setAttribute(Qt::WA_OpaquePaintEvent);

    createControls();
    startTimers();
    connectSession();
    connectCommands();
    if (m_services.watchVolumes) {
        m_cardArrivals = std::make_unique<CardArrivals>(m_services.watchVolumes());
        connect(m_cardArrivals.get(), &CardArrivals::cardArrived, this,
                &PlayerWindow::onCardArrived);
        connect(m_cardArrivals.get(), &CardArrivals::volumeRemoved, this,
                &PlayerWindow::onVolumeRemoved);
        connect(m_statusLine, &QLabel::linkActivated, this, &PlayerWindow::importOfferedCard);
    }
    createShortcuts();
    setUpReport();
    setUpLibrary();
    restoreSettings();
}

PlayerWindow::~PlayerWindow()
{
    // A clip half written goes with the window; its worker may not outlive the window.
    m_clipJob.reset();
    // The engine paints into the video area: close it first.
    m_session.shutDown();
}

void PlayerWindow::createControls()
{
    m_videoArea = new ChannelsView(this);
    m_videoArea->setGeometry(controlRect(ctl::kVideo));
    m_videoArea->setObjectName(ctl::kVideo);
    // Until the first recording is opened the window paints the idle picture there.
    m_videoArea->hide();
    m_session.setVideoOutput(m_videoArea);

    m_mapHost = makeStatic(this, ctl::kMapHost, QStringLiteral("Loading..."));
    m_mapHost->setAlignment(Qt::AlignCenter);
    m_mapHost->setAutoFillBackground(true);
    QPalette hostPalette = m_mapHost->palette();
    hostPalette.setColor(QPalette::Window, Qt::black);
    hostPalette.setColor(QPalette::WindowText, palette::kLabel);
    m_mapHost->setPalette(hostPalette);

    m_speedLabel = makeStatic(this, ctl::kSpeedText, QStringLiteral("0Km/H"));
    m_speedLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_speedLabel->setAutoFillBackground(true);
    QPalette speedPalette = m_speedLabel->palette();
    speedPalette.setColor(QPalette::Window, palette::kDialFace);
    speedPalette.setColor(QPalette::WindowText, palette::kLabel);
    m_speedLabel->setPalette(speedPalette);

    m_statusLine = makeTitleStripLine(this, QStringLiteral("statusLine"), palette::kNote);
    m_statusTimer.setSingleShot(true);
    m_statusTimer.setInterval(kStatusShownMs);
    m_summaryLine = makeTitleStripLine(this, QStringLiteral("summaryLine"), palette::kSummary);
    connect(&m_statusTimer, &QTimer::timeout, m_statusLine, &QWidget::hide);
    // A note takes the summary's place while it shows, wherever it is shown or hidden.
    new VisibilityWatch(m_statusLine, [this] { showSummaryWhenNoNote(); });

    createButtons();
    createVolumeBars();

    if (m_services.createMap) {
        m_mapView = m_services.createMap(m_mapHost);
        // A recording opened from the file manager starts before the page has loaded.
        m_mapView->whenLoaded([this] { sendTrack(); });
        m_mapView->whenPassedHereAsked([this](double latitude, double longitude, double metres) {
            askPassedHere(latitude, longitude, metres);
        });
    }
    setUpPlayList();

    m_waveformView = new WaveformView(this);
    m_waveformView->setGeometry(controlRect(ctl::kWaveform));
    m_waveformView->setObjectName(ctl::kWaveform);
    m_waveformView->setSource(&m_session.telemetry());
    m_waveformView->installEventFilter(this);
    connect(m_waveformView, &WaveformView::peakClicked, this, [this](int index) {
        m_session.seekTo(m_session.telemetryOffset() +
                         index / static_cast<double>(kEntriesPerSample));
    });

    setUpSeekBar();
}

SkinButton* PlayerWindow::makeButton(const QString& name, const QString& picture,
                                     const QString& text, const QString& tip, bool onSkin)
{
    auto* button = new SkinButton(this);
    button->setGeometry(controlRect(name));
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    if (onSkin) {
        button->setBackdrop(&m_windowBackground);
    }
    button->setImage(skinPicture(picture));
    return button;
}

void PlayerWindow::createButtons()
{
    m_minimiseButton =
        makeButton(ctl::kMinimise, QStringLiteral("minimise.png"), QStringLiteral("-"), {}, false);
    m_closeButton =
        makeButton(ctl::kClose, QStringLiteral("close.png"), QStringLiteral("x"), {}, false);
    m_importButton = makeButton(ctl::kImport, QStringLiteral("import.png"),
                                QStringLiteral("Import"), QStringLiteral("Import files"), true);
    m_clearButton = makeButton(ctl::kClear, QStringLiteral("clear.png"), QStringLiteral("Clear"),
                               QStringLiteral("Clear play list"), true);
    m_volumeDownButton = makeButton(ctl::kVolumeDown, QStringLiteral("volume-down.png"),
                                    QStringLiteral("-"), {}, true);
    m_volumeUpButton =
        makeButton(ctl::kVolumeUp, QStringLiteral("volume-up.png"), QStringLiteral("+"), {}, true);
    m_cycleButton = makeButton(ctl::kCycle, QStringLiteral("cycle-on.png"), QStringLiteral("Cycle"),
                               QStringLiteral("Recycle"), true);
    m_prevButton = makeButton(ctl::kPrev, QStringLiteral("previous.png"), QStringLiteral("Prev."),
                              QStringLiteral("Prev file"), true);
    m_playButton = makeButton(ctl::kPlay, QStringLiteral("play.png"), QStringLiteral("Play"),
                              QStringLiteral("Play"), true);
    m_stopButton = makeButton(ctl::kStop, QStringLiteral("stop.png"), QStringLiteral("Stop"),
                              QStringLiteral("Stop"), true);
    m_nextButton = makeButton(ctl::kNext, QStringLiteral("next.png"), QStringLiteral("Next."),
                              QStringLiteral("Next file"), true);
    m_printButton = makeButton(ctl::kPrint, QStringLiteral("print.png"), QStringLiteral("Print"),
                               QStringLiteral("Print"), true);
    m_captureButton = makeButton(ctl::kCapture, QStringLiteral("capture.png"),
                                 QStringLiteral("Capture"), QStringLiteral("Snapshot"), true);
    m_volumeDownButton->setEnabled(false);
    m_volumeUpButton->setEnabled(false);
}

void PlayerWindow::createVolumeBars()
{
    for (int i = 0; i < ctl::kVolumeBars; ++i) {
        QLabel* bar = makeStatic(this, ctl::volumeBar(i), {});
        bar->setPixmap(m_volumeOff);
        m_volumeBars[static_cast<size_t>(i)] = bar;
    }
}

void PlayerWindow::setUpPlayList()
{
    m_playlistView = new PlaylistView(this);
    m_playlistView->setGeometry(skin::withScrollBars(controlRect(ctl::kPlayList)));
    m_playlistView->setObjectName(ctl::kPlayList);
    m_playlistView->setGroundColour(palette::kListGround);
    m_playlistView->setModel(&m_session.model());
    m_playlistView->setGroupStartRole(PlaylistModel::TripStartRole);
    // Wide enough for a locked row's mark and four digits, taken from the file names.
    const int numberWidth =
        std::max(32, m_playlistView->fontMetrics().horizontalAdvance(QStringLiteral("*0000")) + 10);
    m_playlistView->setColumnWidths({numberWidth, 172 - numberWidth, 130});
    m_playlistView->viewport()->installEventFilter(this);
    // The window opens with the list's current row under the keys.
    m_playlistView->setFocus();
}

void PlayerWindow::setUpSeekBar()
{
    m_seekSlider = new SeekSlider(this);
    m_seekSlider->setGeometry(controlRect(ctl::kSeekBar));
    m_seekSlider->setObjectName(ctl::kSeekBar);
    m_seekSlider->setChannelPictures(skinPicture(QStringLiteral("seek-channel.png")),
                                     skinPicture(QStringLiteral("seek-played.png")));
    m_seekSlider->setThumbPictures(skinPicture(QStringLiteral("seek-thumb.png")),
                                   skinPicture(QStringLiteral("seek-thumb-held.png")));
    m_seekSlider->setFocusFrame(false);
    m_seekSlider->setRange(0, 0);
    m_seekSlider->setMargins(QMargins(0, -5, 0, 5));
    // Its own keys move as the window's do: 5 s a step, 30 s a page.
    m_seekSlider->setSingleStep(seekBarMs(PlaybackSession::kShortSeekSeconds));
    m_seekSlider->setPageStep(seekBarMs(PlaybackSession::kLongSeekSeconds));
    m_seekSlider->installEventFilter(this);
    // Queued: the bar has finished with the mouse before a seek holds the thread.
    connect(m_seekSlider, &SeekSlider::sliderMoved, this, &PlayerWindow::onSeekBarMoving,
            Qt::QueuedConnection);
    connect(m_seekSlider, &SeekSlider::sliderReleased, this, &PlayerWindow::onSeekBarMoved,
            Qt::QueuedConnection);
    connect(
        m_seekSlider, &SeekSlider::actionTriggered, this,
        [this](int action) {
            if (action != QAbstractSlider::SliderMove) {
                onSeekBarMoved();
            }
        },
        Qt::QueuedConnection);
}

void PlayerWindow::startTimers()
{
    m_cardDiscovery.setInterval(kCardDiscoveryDelayMs);
    m_cardDiscovery.setSingleShot(true);
    connect(&m_cardDiscovery, &QTimer::timeout, this, &PlayerWindow::discoverCard);
    m_cardDiscovery.start();
}

// What the session does, shown.
void PlayerWindow::connectSession()
{
    connect(&m_session, &PlaybackSession::opening, m_videoArea, &QWidget::show);
    connect(&m_session, &PlaybackSession::trackLoaded, this, &PlayerWindow::showTrack);
    connect(&m_session, &PlaybackSession::trackLoaded, this, &PlayerWindow::savePlayList);
    connect(&m_session, &PlaybackSession::listChanged, this, &PlayerWindow::onListChanged);
    // The dialog's rows are list rows: a change of the list takes them away.
    connect(&m_session, &PlaybackSession::listChanged, this, [this] {
        if (m_eventsDialog) {
            m_eventsDialog->close();  // deletes itself, later: it may be what changed the list
        }
    });
    connect(&m_session, &PlaybackSession::marksChanged, this, &PlayerWindow::showMarkTicks);
    connect(&m_session, &PlaybackSession::trackLoaded, this, &PlayerWindow::showMarkTicks);
    connect(&m_session, &PlaybackSession::recordingClosed, this, &PlayerWindow::showMarkTicks);
    connect(&m_session, &PlaybackSession::entryShown, this, &PlayerWindow::showEntry);
    connect(&m_session, &PlaybackSession::recordingClosed, this, &PlayerWindow::resetDisplays);
    connect(&m_session, &PlaybackSession::positionChanged, this, &PlayerWindow::showPosition);
    connect(&m_session, &PlaybackSession::tripChanged, this, &PlayerWindow::showTrip);
    // The play button follows the state as it changes.
    connect(&m_session, &PlaybackSession::stateChanged, this,
            [this](PlayState state) { setPlayButton(state == PlayState::Running); });
    connect(&m_session, &PlaybackSession::seeked, this,
            [this](double seconds) { m_seekSlider->setValue(seekBarMs(seconds)); });
    connect(&m_session, &PlaybackSession::statusNote, this,
            [this](const QString& text) { showStatus(text); });
    connect(&m_session, &PlaybackSession::cycleModeChanged, this, [this](bool on) {
        m_cycleButton->setImage(
            skinPicture(on ? QStringLiteral("cycle-on.png") : QStringLiteral("cycle-off.png")));
        player_settings::setCycleMode(on);
    });
    connect(&m_session, &PlaybackSession::volumeChanged, this, [this](int level) {
        player_settings::setVolumeLevel(level);
        drawVolumeIndicator(level);
    });
}

void PlayerWindow::connectCommands()
{
    connect(m_minimiseButton, &QAbstractButton::clicked, this, &QWidget::showMinimized);
    connect(m_closeButton, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_importButton, &QAbstractButton::clicked, this, &PlayerWindow::onImport);
    connect(m_clearButton, &QAbstractButton::clicked, this, &PlayerWindow::onClear);
    connect(m_cycleButton, &QAbstractButton::clicked, this, &PlayerWindow::onCycle);
    connect(m_prevButton, &QAbstractButton::clicked, this,
            [this] { m_session.play(PlaybackSession::Step::Previous); });
    connect(m_nextButton, &QAbstractButton::clicked, this,
            [this] { m_session.play(PlaybackSession::Step::Next); });
    connect(m_playButton, &QAbstractButton::clicked, this, &PlayerWindow::onPlay);
    connect(m_stopButton, &QAbstractButton::clicked, this, &PlayerWindow::onStop);
    connect(m_captureButton, &QAbstractButton::clicked, this, &PlayerWindow::onCapture);
    connect(m_volumeDownButton, &QAbstractButton::clicked, this, &PlayerWindow::onVolumeDown);
    connect(m_volumeUpButton, &QAbstractButton::clicked, this, &PlayerWindow::onVolumeUp);
    connect(m_playlistView, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex&) { onListDoubleClick(selectedRow()); });
    connect(m_videoArea, &ChannelsView::doubleClicked, this, &PlayerWindow::toggleFullScreen);
    connect(m_videoArea, &ChannelsView::channelLayoutChanged, this,
            [](const ChannelLayout& layout) { player_settings::setChannelLayout(layout); });
}

// Application-wide: the full-screen video is a window of its own and obeys them too. A
// modal dialog (the delete question, a file dialog) still keeps its keys.
void PlayerWindow::createShortcuts()
{
    const auto add = [this](const QKeySequence& keys, auto command) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this, command);
    };
    const auto playSelected = [this] { onListDoubleClick(selectedRow()); };
    add(QKeySequence(Qt::Key_Space), &PlayerWindow::onPlay);
    add(QKeySequence(Qt::Key_Left),
        [this] { m_session.seekBy(-PlaybackSession::kShortSeekSeconds); });
    add(QKeySequence(Qt::Key_Right),
        [this] { m_session.seekBy(PlaybackSession::kShortSeekSeconds); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_Left),
        [this] { m_session.seekBy(-PlaybackSession::kLongSeekSeconds); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_Right),
        [this] { m_session.seekBy(PlaybackSession::kLongSeekSeconds); });
    add(QKeySequence(Qt::Key_PageUp), [this] { m_session.play(PlaybackSession::Step::Previous); });
    add(QKeySequence(Qt::Key_PageDown), [this] { m_session.play(PlaybackSession::Step::Next); });
    add(QKeySequence(Qt::Key_F), &PlayerWindow::toggleFullScreen);
    add(QKeySequence(Qt::Key_V), [this] { m_videoArea->cycleArrangement(); });
    add(QKeySequence(Qt::Key_X), [this] { m_videoArea->swapChannels(); });
    add(QKeySequence(Qt::Key_Return), playSelected);
    add(QKeySequence(Qt::Key_Enter), playSelected);
    add(QKeySequence(Qt::Key_Delete), &PlayerWindow::onDeleteFile);
    add(QKeySequence(Qt::CTRL | Qt::Key_S), &PlayerWindow::onCapture);
    add(QKeySequence(Qt::Key_I), [this] { setMark(PlaybackSession::Mark::In); });
    add(QKeySequence(Qt::Key_O), [this] { setMark(PlaybackSession::Mark::Out); });
    add(QKeySequence(Qt::Key_L), &PlayerWindow::showLibrary);
    add(QKeySequence(Qt::CTRL | Qt::Key_Q), &QWidget::close);
}

void PlayerWindow::restoreSettings()
{
    m_session.setVolumeLevel(player_settings::volumeLevel());
    m_session.setCycleMode(player_settings::cycleMode());
    m_eventThresholds = player_settings::eventThresholds();
    m_waveformView->setSpeedView(player_settings::chartSpeedView());
    setSpeedUnit(player_settings::units());
    m_videoArea->setChannelLayout(player_settings::channelLayout());
    if (const QString tiles = player_settings::tileFile(); !tiles.isEmpty()) {
        useTileFile(tiles);
    }
    restorePlayList();
}

bool PlayerWindow::idlePictureShown() const
{
    return !m_session.isOpen() && !m_firstRecordingOpened;
}

// Every note of the window (locked, could not delete, play or save) passes on the title
// strip for a few seconds: nothing modal stands in the way of unattended playing.
void PlayerWindow::showStatus(const QString& text, int shownMs)
{
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->setText(
        m_statusLine->fontMetrics().elidedText(text, Qt::ElideMiddle, m_statusLine->width()));
    m_statusLine->setToolTip(text);
    m_statusLine->show();
    m_statusTimer.start(shownMs > 0 ? shownMs : kStatusShownMs);
}

bool PlayerWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(e);
        if (watched == m_seekSlider && mouse->button() == Qt::LeftButton) {
            // Held still while the user seeks; the release resumes what was playing.
            m_session.holdForSeek();
        } else if (watched == m_waveformView && mouse->button() == Qt::RightButton) {
            m_waveformView->toggleMode();
            player_settings::setChartSpeedView(m_waveformView->isSpeedView());
        } else if (watched == m_playlistView->viewport() && mouse->button() == Qt::RightButton) {
            showListMenu(mouse->position().toPoint());
            return true;
        }
    }
    // Only the left button plays a row: two quick right-clicks open the menu twice.
    if (e->type() == QEvent::MouseButtonDblClick && watched == m_playlistView->viewport() &&
        static_cast<QMouseEvent*>(e)->button() != Qt::LeftButton) {
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void PlayerWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_windowBackground);
    if (idlePictureShown()) {
        const QRect video = m_layout.place(controlRect(ctl::kVideo));
        painter.fillRect(video, Qt::black);
        painter.save();
        painter.setClipRect(video);
        painter.drawImage(video.topLeft(), m_idlePicture);
        painter.restore();
    }
    paintGauges(painter);
}

void PlayerWindow::paintGauges(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(gaugeOffset());
    if (!m_dialPicture.isNull()) {
        painter.drawImage(m_dialFace.origin, m_dialPicture);
    }
    painter.setPen(m_needlePen);
    painter.drawLine(skin::kDialCentre, gauges::needleEnd(m_shownSpeed, m_dialFace));
    painter.drawImage(skin::kCompassOrigin, m_compassSquare);
}

void PlayerWindow::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        return;  // Enter is no command in this window
    }
    if (e->key() == Qt::Key_Escape) {
        return;  // Escape only leaves full screen (the video's); Ctrl+Q quits
    }
    QWidget::keyPressEvent(e);
}

void PlayerWindow::closeEvent(QCloseEvent* e)
{
    cancelClipExport();
    m_session.shutDown();
    QWidget::closeEvent(e);
}

void PlayerWindow::toggleFullScreen()
{
    // Taken from the video itself: opening a recording puts it back into the window.
    m_session.setFullScreen(!m_videoArea->isFullScreenVideo());
}

void PlayerWindow::showWindowMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Minimize"), this, &QWidget::showMinimized);
    menu.addAction(isMaximized() ? QStringLiteral("Restore") : QStringLiteral("Maximize"), this,
                   &PlayerWindow::toggleMaximised);
    menu.addAction(QStringLiteral("Close"), this, &QWidget::close);
    menu.addSeparator();
    auto* units = new QActionGroup(&menu);
    for (const auto& [unit, text] : {std::pair{SpeedUnit::Kmh, QStringLiteral("Speed in km/h")},
                                     std::pair{SpeedUnit::Mph, QStringLiteral("Speed in mph")}}) {
        QAction* action = menu.addAction(text, this, [this, unit] { setSpeedUnit(unit); });
        action->setCheckable(true);
        action->setChecked(unit == m_speedUnit);
        units->addAction(action);
    }
    addTileSourceActions(menu);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Library...\tL"), this, &PlayerWindow::showLibrary);
    menu.addAction(QStringLiteral("Library location..."), this,
                   &PlayerWindow::chooseLibraryLocation);
    menu.addAction(QStringLiteral("Where was I at..."), this, &PlayerWindow::showWhereAt);
    menu.addSeparator();
    addEventsOnlyAction(menu);
    menu.addAction(QStringLiteral("Events of this trip..."), this, &PlayerWindow::showEvents);
    menu.addAction(QStringLiteral("Mark in\tI"), this,
                   [this] { setMark(PlaybackSession::Mark::In); });
    menu.addAction(QStringLiteral("Mark out\tO"), this,
                   [this] { setMark(PlaybackSession::Mark::Out); });
    menu.addAction(QStringLiteral("Export clip..."), this, &PlayerWindow::onExportClip);
    menu.addSeparator();
    menu.addAction(QStringLiteral("&About Player..."), this, &PlayerWindow::showAbout);
    menu.exec(globalPos);
}

void PlayerWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}
