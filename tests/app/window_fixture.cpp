#include "tests/app/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QTimer>

#include "app/dialog_layout.h"
#include "app/volume_watcher.h"
#include "controls/playlist_view.h"
#include "controls/seek_slider.h"
#include "instruments/waveform_view.h"

void PlayerWindowTest::SetUpTestSuite()
{
    samples = new QTemporaryDir;
    QProcess maker;
    maker.start(QStringLiteral(SAMPLE_MAKER), {samples->path(), QStringLiteral("4")});
    ASSERT_TRUE(maker.waitForFinished(120000));
    ASSERT_EQ(maker.exitCode(), 0) << maker.readAllStandardError().toStdString();
}

void PlayerWindowTest::TearDownTestSuite()
{
    delete samples;
    samples = nullptr;
}

void PlayerWindowTest::SetUp()
{
    ASSERT_TRUE(samples && samples->isValid());
    const QDir from(samples->path());
    for (const QString& name : from.entryList(QDir::Files)) {
        ASSERT_TRUE(QFile::copy(from.filePath(name), QDir(folder.path()).filePath(name)));
    }
    chosenFolder = folder.path();
    // Every test starts as a first run: nothing remembered from the test before.
    QSettings().clear();
    QSettings().sync();
    makeWindow();
}

void PlayerWindowTest::makeWindow()
{
    PlayerServices services;
    services.chooseFolder = [this](QWidget*, const QString& start) {
        folderStarts << start;
        return chosenFolder;
    };
    services.chooseSnapshotFile = [this](QWidget*, const QString& start) {
        snapshotStarts << start;
        return chosenSnapshot;
    };
    services.chooseExportFile = [this](QWidget*, const QString& start) {
        exportStarts << start;
        return chosenExport;
    };
    services.chooseClipTarget = [this](QWidget*, const QString&) { return chosenClip; };
    services.chooseTileFile = [this](QWidget*, const QString&) { return chosenTileFile; };
    services.choosePrinter = [this](QWidget*, QPrinter& printer) {
        ++printDialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(chosenReport);
        return !chosenReport.isEmpty();
    };
    services.confirm = [this](QWidget*, const QString& question) {
        questions << question;
        return confirmAnswer;
    };
    services.createMap = [this](QWidget*) {
        auto recording = std::make_unique<RecordingMap>(&mapCalls);
        map = recording.get();
        return recording;
    };
    // Looked up when the card timer fires, so a test may fill it in after construction.
    struct TestVolumes : RemovableVolumes
    {
        const std::vector<std::string>* roots;
        std::vector<std::string> rootPaths() const override { return *roots; }
    };
    auto source = std::make_shared<TestVolumes>();
    source->roots = &volumes;
    services.volumes = source;
    // Volumes mounted after start appear in a folder of the test's, with no disk service.
    services.watchVolumes = [this] {
        VolumeWatcher::Sources sources;
        sources.roots = {mountRoot.path()};
        sources.bus = QDBusConnection(QStringLiteral("no-disk-service"));
        return std::make_unique<VolumeWatcher>(sources);
    };
    services.identifyVolume = [this](const QString& root) {
        return volumeIdentities.value(QDir::cleanPath(root));
    };
    services.audioSink = QStringLiteral("fakesink sync=true");
    dlg = std::make_unique<PlayerWindow>(std::move(services));
    dlg->show();
}

void PlayerWindowTest::restartWindow()
{
    dlg.reset();
    map = nullptr;
    mapCalls.clear();
    makeWindow();
}

void PlayerWindowTest::TearDown()
{
    dlg.reset();
    // Locked copies would outlive the folder otherwise.
    for (const QFileInfo& info : QDir(folder.path()).entryInfoList(QDir::Files)) {
        QFile::setPermissions(info.filePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

QString PlayerWindowTest::samplePath(const QString& layout) const
{
    QStringList names =
        QDir(folder.path()).entryList({QStringLiteral("*_") + layout + QStringLiteral(".*")});
    // The movie, not its sidecar, which sorts first.
    names.removeIf([](const QString& name) {
        return name.endsWith(QStringLiteral(".DAT"), Qt::CaseInsensitive);
    });
    return names.isEmpty() ? QString() : QDir(folder.path()).filePath(names.front());
}

int PlayerWindowTest::rowOf(const QString& layout) const
{
    for (int row = 0; row < dlg->session().catalogue().count(); ++row) {
        RecordingEntry node;
        dlg->session().catalogue().entryAt(row, node);
        if (QString::fromStdString(node.displayName)
                .contains(QStringLiteral("_") + layout + QStringLiteral("."))) {
            return row;
        }
    }
    return -1;
}

QString PlayerWindowTest::cell(int row, int column) const
{
    return playlistView().model()->index(row, column).data().toString();
}

int PlayerWindowTest::mapCallCount(const QString& function) const
{
    return static_cast<int>(
        std::count_if(mapCalls.begin(), mapCalls.end(),
                      [&](const MapCall& call) { return call.function == function; }));
}

const MapCall* PlayerWindowTest::last(const QString& function) const
{
    for (auto it = mapCalls.rbegin(); it != mapCalls.rend(); ++it) {
        if (it->function == function) {
            return &*it;
        }
    }
    return nullptr;
}

void PlayerWindowTest::playRow(int row)
{
    ASSERT_GE(row, 0);
    playlistView().selectExistingRow(row);
    dlg->onListDoubleClick(playlistView().selectedRow());
    ASSERT_EQ(dlg->session().state(), PlayState::Running) << statusText().toStdString();
}

QWidget* PlayerWindowTest::control(const QString& name) const
{
    return dlg->findChild<QWidget*>(name);
}

PlaylistView& PlayerWindowTest::playlistView() const
{
    return *dlg->findChild<PlaylistView*>(ctl::kPlayList);
}

SeekSlider& PlayerWindowTest::seekSlider() const
{
    return *dlg->findChild<SeekSlider*>(ctl::kSeekBar);
}

WaveformView& PlayerWindowTest::waveformView() const
{
    return *dlg->findChild<WaveformView*>(ctl::kWaveform);
}

QString PlayerWindowTest::speedText() const
{
    return dlg->findChild<QLabel*>(ctl::kSpeedText)->text();
}

QString PlayerWindowTest::playButtonText() const
{
    return dlg->findChild<QAbstractButton*>(ctl::kPlay)->text();
}

QString PlayerWindowTest::statusText() const
{
    return dlg->findChild<QLabel*>(QStringLiteral("statusLine"))->toolTip();
}

bool PlayerWindowTest::statusShown() const
{
    return dlg->findChild<QLabel*>(QStringLiteral("statusLine"))->isVisible();
}

QString PlayerWindowTest::tripSummaryText() const
{
    return dlg->findChild<QLabel*>(QStringLiteral("summaryLine"))->toolTip();
}

void onNextMenu(QStringList* texts, const QString& choose)
{
    QTimer::singleShot(50, [texts, choose] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            return;
        }
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            *texts << action->text();
            if (!choose.isEmpty() && action->text() == choose) {
                chosen = action;
            }
        }
        if (!chosen) {
            menu->close();
            return;
        }
        // As the user does: the menu's own activation makes exec() return the action.
        menu->setActiveAction(chosen);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(menu, &enter);
    });
}
