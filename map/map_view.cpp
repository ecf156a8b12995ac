#include "map/map_view.h"

#include "map/map_page.h"
#include "map/map_tiles.h"
#include "map/script_call.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

bool isDialogKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

MapView::MapView(QWidget* host) : QWidget(host), m_view(new QWebEngineView(this))
{
    hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    QWebEngineProfile* profile = createMapProfile(this);
    if (tileSchemeRegistered()) {
        m_tiles = new TileSchemeHandler(profile);
        profile->installUrlSchemeHandler(kTileScheme, m_tiles);
    }
    auto* page = new MapPage(profile, m_view);
    m_view->setPage(page);
    connect(page, &QWebEnginePage::loadFinished, this, &MapView::onLoadFinished);
    connect(page, &MapPage::passedHereAsked, this, &MapView::passedHereAsked);

    setGeometry(host->rect());
    host->installEventFilter(this);  // the map follows its host's size
    page->load(MapPage::pageUrl());
}

// The page must be gone before its profile, a later child of this widget.
MapView::~MapView()
{
    delete m_view;
}

void MapView::setPosition(const QString& latitude, const QString& longitude, const QString& speed)
{
    callScript(QStringLiteral("SetLgtLat"), {latitude, longitude, speed});
}

void MapView::newPolyLine()
{
    callScript(QStringLiteral("newPolyLine"));
}

void MapView::putMarkerToLine(const QString& latitude, const QString& longitude)
{
    callScript(QStringLiteral("putMarkerToLine"), {latitude, longitude});
}

void MapView::renderPolyLine()
{
    callScript(QStringLiteral("renderPolyLine"));
}

void MapView::setTrack(const MapTrack& track)
{
    callScript(QStringLiteral("setTrack"), {trackToJson(track)});
}

void MapView::clearMap()
{
    callScript(QStringLiteral("clearMap"));
}

void MapView::setTrip(const std::vector<MapTrack>& parts, int playingPart)
{
    QJsonArray tracks;
    for (const MapTrack& part : parts) {
        tracks.append(trackToJson(part));
    }
    callScript(QStringLiteral("setTrip"), {tracks, playingPart});
}

bool MapView::setTileFile(const QString& path, QString* error)
{
    if (path.isEmpty()) {
        m_tileTemplate.clear();
        m_tileZoom = 0;
    } else {
        if (!m_tiles) {
            *error = QStringLiteral("This program cannot show tiles from a file.");
            return false;
        }
        std::unique_ptr<TileFile> file = TileFile::open(path, error);
        if (!file) {
            return false;
        }
        m_tileZoom = file->maxZoom();
        m_tiles->setFile(std::move(file));
        m_tileTemplate =
            QStringLiteral("%1:/%2/{z}/{x}/{y}").arg(QLatin1String(kTileScheme)).arg(++m_tileFiles);
    }
    sendTileSource();
    return true;
}

void MapView::sendTileSource()
{
    callScript(QStringLiteral("setTileSource"), {m_tileTemplate, m_tileZoom});
}

void MapView::grabTrip(std::function<void(const QImage&)> done)
{
    if (!m_loaded || !isVisible()) {
        done({});
        return;
    }
    m_view->page()->runJavaScript(
        QStringLiteral("typeof tripShown === 'function' && tripShown()"),
        [view = QPointer<QWebEngineView>(m_view), done = std::move(done)](const QVariant& shown) {
            done(view && shown.toBool() ? view->grab().toImage() : QImage());
        });
}

bool MapView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        fitToHost();
        return false;
    }
    if (watched == m_view->focusProxy() && isDialogKey(event)) {
        QCoreApplication::sendEvent(parentWidget(), event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MapView::onLoadFinished()
{
    m_loaded = true;
    // The browser's input widget exists once the page is there.
    if (QWidget* input = m_view->focusProxy()) {
        input->installEventFilter(this);
    }
    if (!m_tileTemplate.isEmpty()) {
        sendTileSource();
    }
    show();
    fitToHost();
    emit pageLoaded();
}

void MapView::fitToHost()
{
    const QWidget* host = parentWidget();
    setGeometry(host->rect());
    callScript(QStringLiteral("fix"), {host->rect().height()});
}

void MapView::callScript(const QString& function, const QJsonArray& arguments)
{
    if (!m_loaded) {
        return;
    }
    m_view->page()->runJavaScript(scriptCall(function, arguments));
}
