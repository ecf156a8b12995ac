// The player window: construction, layout, painting and window commands.
#include "player_dlg.h"

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

#include "about_dlg.h"
#include "bitmap_slider.h"
#include "blit.h"
#include "dialog_layout.h"
#include "gauges.h"
#include "player_settings.h"
#include "png_button.h"
#include "resource_image.h"
#include "skin_geometry.h"
#include "skin_list.h"
#include "skin_palette.h"
#include "video_widget.h"
#include "volume_watcher.h"
#include "wave_form_ctrl.h"

namespace {

const QRect kStatusLine(200, 5, 740, 18);  // the title strip between the title and its buttons
constexpr int kStatusShownMs = 6000;
constexpr int kDisplayTickMs = 100;
constexpr int kNeedleTickMs = 1000;
constexpr int kCardDiscoveryDelayMs = 1000;

QLabel* MakeStatic(QWidget* parent, int id, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(ControlRect(id));
    label->setObjectName(QString::number(id));
    return label;
}

// A hidden line of text on the title strip, between the title and its buttons.
QLabel* MakeTitleStripLine(QWidget* parent, const QString& name, const QColor& colour)
{
    auto* line = new QLabel(parent);
    line->setGeometry(kStatusLine);
    line->setObjectName(name);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, colour);
    line->setPalette(palette);
    line->hide();
    return line;
}

// The template's "MS Shell Dlg" 9 on a 96-dpi screen: 12 pixels of Arial's metrics. The
// desktop's default is wider and would cut the list's times off in their 130-pixel column.
QFont DialogFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

}  // namespace

CPlayerDlg::CPlayerDlg(PlayerServices playerServices, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), services(std::move(playerServices))
{
    LoadResourceImage(150, QStringLiteral("PNG"), background);
    LoadResourceImage(168, QStringLiteral("JPG"), idlePicture);
    LoadResourceImage(169, QStringLiteral("BITMAP"), compassArrow);
    volumeOn = QPixmap::fromImage(LoadBitmap(156));
    volumeOff = QPixmap::fromImage(LoadBitmap(157));
    compassSquare = gauges::RotateArrow(compassArrow, shownHeading);

    setFixedSize(skin::kSize);
    setWindowTitle(QStringLiteral("Player"));
    setWindowIcon(QIcon(QStringLiteral(":/ICON/128")));
    setFont(DialogFont());
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_session.engine().setAudioSink(services.audioSink);

    CreateControls();
    StartTimers();
    connectSession();
    ConnectCommands();
    if (services.watchVolumes) {
        volumeWatcher = services.watchVolumes();
        connect(volumeWatcher.get(), &VolumeWatcher::volumeMounted, this, &CPlayerDlg::OnVolumeMounted);
        connect(volumeWatcher.get(), &VolumeWatcher::volumeRemoved, this, &CPlayerDlg::OnVolumeRemoved);
    }
    CreateShortcuts();
    RestoreSettings();
}

CPlayerDlg::~CPlayerDlg()
{
    // The engine paints into the video area: close it first.
    m_session.engine().close();
}

void CPlayerDlg::CreateControls()
{
    videoArea = new VideoWidget(this);
    videoArea->setGeometry(ControlRect(ctl::kVideo));
    videoArea->setObjectName(QString::number(ctl::kVideo));
    // Until the first recording is opened the window paints the idle picture there.
    videoArea->hide();
    m_session.setVideoWidget(videoArea);

    mapHost = MakeStatic(this, ctl::kMapHost, QStringLiteral("Loading..."));
    mapHost->setAlignment(Qt::AlignCenter);
    mapHost->setAutoFillBackground(true);
    QPalette hostPalette = mapHost->palette();
    hostPalette.setColor(QPalette::Window, Qt::black);
    hostPalette.setColor(QPalette::WindowText, palette::kLabel);
    mapHost->setPalette(hostPalette);

    speedText = MakeStatic(this, ctl::kSpeedText, QStringLiteral("0Km/H"));
    speedText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    speedText->setAutoFillBackground(true);
    QPalette speedPalette = speedText->palette();
    speedPalette.setColor(QPalette::Window, palette::kDialFace);
    speedPalette.setColor(QPalette::WindowText, palette::kLabel);
    speedText->setPalette(speedPalette);

    statusLine = MakeTitleStripLine(this, QStringLiteral("statusLine"), palette::kNote);
    statusTimer.setSingleShot(true);
    statusTimer.setInterval(kStatusShownMs);
    summaryLine = MakeTitleStripLine(this, QStringLiteral("summaryLine"), palette::kSummary);
    connect(&statusTimer, &QTimer::timeout, this, [this] {
        statusLine->hide();
        ShowSummaryWhenNoNote();
    });

    CreateButtons();
    CreateVolumeBars();

    if (services.createMap) {
        mapView = services.createMap(mapHost);
        // A recording opened from the file manager starts before the page has loaded.
        mapView->whenLoaded([this] { SendTrack(); });
    }
    SetUpPlayList();

    waveform = new CWaveFormCtrl(this);
    waveform->setGeometry(ControlRect(ctl::kWaveform));
    waveform->setObjectName(QString::number(ctl::kWaveform));
    waveform->SetSource(&m_session.telemetry());
    waveform->installEventFilter(this);
    connect(waveform, &CWaveFormCtrl::peakClicked, this,
            [this](int index) { m_session.seekTo(index / static_cast<double>(ENTRIES_PER_SAMPLE)); });

    SetUpSeekBar();
}

CPngButton* CPlayerDlg::MakeButton(int id, int image, const QString& text, const QString& tip, bool onSkin)
{
    auto* button = new CPngButton(this);
    button->setGeometry(ControlRect(id));
    button->setObjectName(QString::number(id));
    button->setText(text);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    if (onSkin) {
        button->SetBackdrop(&background);
    }
    button->SetImage(image);
    return button;
}

void CPlayerDlg::CreateButtons()
{
    minimiseButton = MakeButton(ctl::kMinimise, 165, QStringLiteral("-"), {}, false);
    closeButton = MakeButton(ctl::kClose, 163, QStringLiteral("x"), {}, false);
    importButton = MakeButton(ctl::kImport, 164, QStringLiteral("Import"), QStringLiteral("Import files"), true);
    clearButton = MakeButton(ctl::kClear, 162, QStringLiteral("Clear"), QStringLiteral("Clear play list"), true);
    volumeDownButton = MakeButton(ctl::kVolumeDown, 160, QStringLiteral("-"), {}, true);
    volumeUpButton = MakeButton(ctl::kVolumeUp, 159, QStringLiteral("+"), {}, true);
    cycleButton = MakeButton(ctl::kCycle, 149, QStringLiteral("Cycle"), QStringLiteral("Recycle"), true);
    prevButton = MakeButton(ctl::kPrev, 153, QStringLiteral("Prev."), QStringLiteral("Prev file"), true);
    playButton = MakeButton(ctl::kPlay, 152, QStringLiteral("Play"), QStringLiteral("Play"), true);
    stopButton = MakeButton(ctl::kStop, 155, QStringLiteral("Stop"), QStringLiteral("Stop"), true);
    nextButton = MakeButton(ctl::kNext, 151, QStringLiteral("Next."), QStringLiteral("Next file"), true);
    printButton = MakeButton(ctl::kPrint, 158, QStringLiteral("Print"), QStringLiteral("Print"), true);
    captureButton = MakeButton(ctl::kCapture, 161, QStringLiteral("Capture"), QStringLiteral("Snapshot"), true);
    volumeDownButton->setEnabled(false);
    volumeUpButton->setEnabled(false);
}

void CPlayerDlg::CreateVolumeBars()
{
    for (int i = 0; i < ctl::kVolumeBars; ++i) {
        QLabel* bar = MakeStatic(this, ctl::kFirstVolumeBar + i, {});
        bar->setPixmap(volumeOff);
        volumeBars[static_cast<size_t>(i)] = bar;
    }
}

void CPlayerDlg::SetUpPlayList()
{
    playList = new CSkinListCtrl(this);
    playList->setGeometry(ControlRect(ctl::kPlayList));
    playList->setObjectName(QString::number(ctl::kPlayList));
    playList->AttachScrollBars();
    playList->SetBkColor(palette::kListGround);
    playList->setModel(&m_session.model());
    playList->setGroupStartRole(PlaylistModel::TripStartRole);
    // Wide enough for a locked row's mark and four digits, taken from the file names.
    const int numberWidth = std::max(32, playList->fontMetrics().horizontalAdvance(QStringLiteral("*0000")) + 10);
    playList->setColumnWidths({numberWidth, 172 - numberWidth, 130});
    playList->viewport()->installEventFilter(this);
}

void CPlayerDlg::SetUpSeekBar()
{
    seekBar = new CBitmapSlider(this);
    seekBar->setGeometry(ControlRect(ctl::kSeekBar));
    seekBar->setObjectName(QString::number(ctl::kSeekBar));
    seekBar->SetChannelImages(129, 130, false, 0xFF000000, 0, 0);
    seekBar->SetThumbImages(131, 132, true, 0xFF000000, 0, 0);
    seekBar->SetFocusFrame(false, false);
    seekBar->SetRange(0, 100, false);
    seekBar->SetPosition(0);
    seekBar->SetMargins(0, -5, 0, 5);
    // Its own keys move as the window's do: 5 s a step, 30 s a page.
    seekBar->SetLineStep(seekBarUnits(PlaybackSession::kShortSeekSeconds));
    seekBar->SetPageStep(seekBarUnits(PlaybackSession::kLongSeekSeconds));
    seekBar->installEventFilter(this);
    // Queued: the bar has finished with the mouse before a seek holds the thread.
    connect(seekBar, &CBitmapSlider::moved, this, &CPlayerDlg::OnSeekBarMoving, Qt::QueuedConnection);
    connect(seekBar, &CBitmapSlider::released, this, &CPlayerDlg::OnSeekBarMoved, Qt::QueuedConnection);
}

void CPlayerDlg::StartTimers()
{
    m_displayTick.setInterval(kDisplayTickMs);
    m_needleTick.setInterval(kNeedleTickMs);
    m_cardDiscovery.setInterval(kCardDiscoveryDelayMs);
    m_cardDiscovery.setSingleShot(true);
    connect(&m_displayTick, &QTimer::timeout, this, &CPlayerDlg::onDisplayTick);
    connect(&m_needleTick, &QTimer::timeout, this, &CPlayerDlg::onNeedleTick);
    connect(&m_cardDiscovery, &QTimer::timeout, this, &CPlayerDlg::DiscoverCard);
    m_needleTick.start();
    m_cardDiscovery.start();
    m_displayTick.start();
}

// What the session does, shown.
void CPlayerDlg::connectSession()
{
    connect(&m_session, &PlaybackSession::opening, videoArea, &QWidget::show);
    connect(&m_session, &PlaybackSession::trackLoaded, this, &CPlayerDlg::showTrack);
    connect(&m_session, &PlaybackSession::entryShown, this, &CPlayerDlg::showEntry);
    connect(&m_session, &PlaybackSession::recordingClosed, this, &CPlayerDlg::ResetDisplays);
    connect(&m_session, &PlaybackSession::positionMoved, this, &CPlayerDlg::displayTick);
    connect(&m_session, &PlaybackSession::seeked, this,
            [this](double seconds) { seekBar->SetPosition(seekBarUnits(seconds)); });
    connect(&m_session, &PlaybackSession::statusNote, this, [this](const QString& text) { ShowStatus(text); });
    connect(&m_session, &PlaybackSession::cycleModeChanged, this, [this](bool on) {
        cycleButton->SetImage(on ? 149 : 154);
        player_settings::SetCycleMode(on);
    });
    connect(&m_session, &PlaybackSession::volumeChanged, this, [this](int level) {
        player_settings::SetVolumeLevel(level);
        drawVolumeIndicator(level);
    });
}

void CPlayerDlg::ConnectCommands()
{
    connect(minimiseButton, &QAbstractButton::clicked, this, &QWidget::showMinimized);
    connect(closeButton, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(importButton, &QAbstractButton::clicked, this, &CPlayerDlg::OnImport);
    connect(clearButton, &QAbstractButton::clicked, this, &CPlayerDlg::OnClear);
    connect(cycleButton, &QAbstractButton::clicked, this, &CPlayerDlg::OnCycle);
    connect(prevButton, &QAbstractButton::clicked, this, [this] { m_session.play(PlaybackSession::Step::Previous); });
    connect(nextButton, &QAbstractButton::clicked, this, [this] { m_session.play(PlaybackSession::Step::Next); });
    connect(playButton, &QAbstractButton::clicked, this, &CPlayerDlg::OnPlay);
    connect(stopButton, &QAbstractButton::clicked, this, &CPlayerDlg::OnStop);
    connect(captureButton, &QAbstractButton::clicked, this, &CPlayerDlg::OnCapture);
    connect(volumeDownButton, &QAbstractButton::clicked, this, &CPlayerDlg::OnVolumeDown);
    connect(volumeUpButton, &QAbstractButton::clicked, this, &CPlayerDlg::OnVolumeUp);
    connect(playList, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex&) { OnListDoubleClick(SelectedRow()); });
    connect(videoArea, &VideoWidget::doubleClicked, this, &CPlayerDlg::ToggleFullScreen);
    connect(videoArea, &VideoWidget::escapePressed, this, &QDialog::reject);
}

// Application-wide: the full-screen video is a window of its own and obeys them too. A
// modal dialog (the delete question, a file dialog) still keeps its keys.
void CPlayerDlg::CreateShortcuts()
{
    const auto add = [this](const QKeySequence& keys, auto command) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this, command);
    };
    const auto playSelected = [this] { OnListDoubleClick(SelectedRow()); };
    add(QKeySequence(Qt::Key_Space), &CPlayerDlg::OnPlay);
    add(QKeySequence(Qt::Key_Left), [this] { m_session.seekBy(-PlaybackSession::kShortSeekSeconds); });
    add(QKeySequence(Qt::Key_Right), [this] { m_session.seekBy(PlaybackSession::kShortSeekSeconds); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_Left), [this] { m_session.seekBy(-PlaybackSession::kLongSeekSeconds); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_Right), [this] { m_session.seekBy(PlaybackSession::kLongSeekSeconds); });
    add(QKeySequence(Qt::Key_PageUp), [this] { m_session.play(PlaybackSession::Step::Previous); });
    add(QKeySequence(Qt::Key_PageDown), [this] { m_session.play(PlaybackSession::Step::Next); });
    add(QKeySequence(Qt::Key_F), &CPlayerDlg::ToggleFullScreen);
    add(QKeySequence(Qt::Key_Return), playSelected);
    add(QKeySequence(Qt::Key_Enter), playSelected);
    add(QKeySequence(Qt::Key_Delete), &CPlayerDlg::OnDeleteFile);
    add(QKeySequence(Qt::CTRL | Qt::Key_S), &CPlayerDlg::OnCapture);
}

void CPlayerDlg::RestoreSettings()
{
    m_session.setVolumeLevel(player_settings::VolumeLevel());
    m_session.setCycleMode(player_settings::CycleMode());
    waveform->SetSpeedView(player_settings::ChartSpeedView());
    SetSpeedUnit(player_settings::Units());
}

bool CPlayerDlg::IdlePictureShown() const
{
    return m_session.engine().state() == PlayState::Init && !firstRecordingOpened;
}

// Every note of the window (locked, could not delete, play or save) passes on the title
// strip for a few seconds: nothing modal stands in the way of unattended playing.
void CPlayerDlg::ShowStatus(const QString& text, int shownMs)
{
    statusLine->setTextFormat(Qt::PlainText);
    statusLine->setText(statusLine->fontMetrics().elidedText(text, Qt::ElideMiddle, statusLine->width()));
    statusLine->setToolTip(text);
    statusLine->show();
    statusTimer.start(shownMs > 0 ? shownMs : kStatusShownMs);
}

bool CPlayerDlg::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(e);
        if (watched == seekBar && mouse->button() == Qt::LeftButton) {
            // Held still while the user seeks; the release resumes what was playing.
            m_session.holdForSeek();
        } else if (watched == waveform && mouse->button() == Qt::RightButton) {
            waveform->ToggleMode();
            player_settings::SetChartSpeedView(waveform->IsSpeedView());
        } else if (watched == playList->viewport() && mouse->button() == Qt::RightButton) {
            ShowListMenu(mouse->position().toPoint());
            return true;
        }
    }
    // Only the left button plays a row: two quick right-clicks open the menu twice.
    if (e->type() == QEvent::MouseButtonDblClick && watched == playList->viewport() &&
        static_cast<QMouseEvent*>(e)->button() != Qt::LeftButton) {
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void CPlayerDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, background);
    if (IdlePictureShown()) {
        const QRect video = ControlRect(ctl::kVideo);
        painter.fillRect(video, Qt::black);
        painter.save();
        painter.setClipRect(video);
        painter.drawImage(video.topLeft(), idlePicture);
        painter.restore();
    }
    PaintGauges(painter);
}

void CPlayerDlg::PaintGauges(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!dialPicture.isNull()) {
        painter.drawImage(dialFace.origin, dialPicture);
    }
    painter.setPen(needlePen);
    painter.drawLine(skin::kDialCentre, gauges::NeedleEnd(shownSpeed, dialFace));
    painter.drawImage(skin::kCompassOrigin, compassSquare);
}

void CPlayerDlg::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        return;  // the dialog's OK handling is empty
    }
    QDialog::keyPressEvent(e);  // Escape ends the dialog
}

void CPlayerDlg::accept()
{
}

void CPlayerDlg::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();  // the borderless window moves with its skin
    } else if (e->button() == Qt::RightButton && e->position().y() < skin::kTitleRows) {
        ShowWindowMenu(e->globalPosition().toPoint());
    }
    QDialog::mousePressEvent(e);
}

void CPlayerDlg::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (ControlRect(ctl::kVideo).contains(e->position().toPoint())) {
        ToggleFullScreen();
    }
    QDialog::mouseDoubleClickEvent(e);
}

void CPlayerDlg::closeEvent(QCloseEvent* e)
{
    m_displayTick.stop();
    m_needleTick.stop();
    m_session.engine().close();
    QDialog::closeEvent(e);
}

void CPlayerDlg::ToggleFullScreen()
{
    // Taken from the video itself: opening a recording puts it back into the window.
    m_session.engine().setFullScreen(!videoArea->isFullScreenVideo());
}

void CPlayerDlg::ShowWindowMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Minimize"), this, &QWidget::showMinimized);
    menu.addAction(QStringLiteral("Close"), this, &QDialog::reject);
    menu.addSeparator();
    auto* units = new QActionGroup(&menu);
    for (const auto& [unit, text] : {std::pair{SpeedUnit::Kmh, QStringLiteral("Speed in km/h")},
                                     std::pair{SpeedUnit::Mph, QStringLiteral("Speed in mph")}}) {
        QAction* action = menu.addAction(text, this, [this, unit] { SetSpeedUnit(unit); });
        action->setCheckable(true);
        action->setChecked(unit == speedUnit);
        units->addAction(action);
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("&About Player..."), this, &CPlayerDlg::ShowAbout);
    menu.exec(globalPos);
}

void CPlayerDlg::ShowAbout()
{
    CAboutDlg about(this);
    about.exec();
}
