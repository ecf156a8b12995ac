#include "dlg_map.h"

#include "map_page.h"
#include "script_call.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QVBoxLayout>
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

CDlgMap::CDlgMap(QWidget* host)
    : QWidget(host)
    , m_view(new QWebEngineView(this))
{
    hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    auto* page = new MapPage(createMapProfile(this), m_view);
    m_view->setPage(page);
    connect(page, &QWebEnginePage::loadFinished, this, &CDlgMap::onLoadFinished);

    setGeometry(host->rect());
    page->load(MapPage::pageUrl());
}

// The page must be gone before its profile, a later child of this widget.
CDlgMap::~CDlgMap()
{
    delete m_view;
}

void CDlgMap::SetLgtLat(const QString& latitude, const QString& longitude, const QString& speed)
{
    CallScript(QStringLiteral("SetLgtLat"), {latitude, longitude, speed});
}

void CDlgMap::newPolyLine()
{
    CallScript(QStringLiteral("newPolyLine"));
}

void CDlgMap::putMarkerToLine(const QString& latitude, const QString& longitude)
{
    CallScript(QStringLiteral("putMarkerToLine"), {latitude, longitude});
}

void CDlgMap::renderPolyLine()
{
    CallScript(QStringLiteral("renderPolyLine"));
}

void CDlgMap::setTrack(const MapTrack& track)
{
    CallScript(QStringLiteral("setTrack"), {TrackToJson(track)});
}

void CDlgMap::clearMap()
{
    CallScript(QStringLiteral("clearMap"));
}

void CDlgMap::setTrip(const std::vector<MapTrack>& parts, int playingPart)
{
    QJsonArray tracks;
    for (const MapTrack& part : parts) {
        tracks.append(TrackToJson(part));
    }
    CallScript(QStringLiteral("setTrip"), {tracks, playingPart});
}

bool CDlgMap::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->focusProxy() && isDialogKey(event)) {
        QCoreApplication::sendEvent(parentWidget(), event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CDlgMap::onLoadFinished()
{
    m_loaded = true;
    // The browser's input widget exists once the page is there.
    if (QWidget* input = m_view->focusProxy()) {
        input->installEventFilter(this);
    }
    show();
    FitToHost();
    emit pageLoaded();
}

void CDlgMap::FitToHost()
{
    const QWidget* host = parentWidget();
    setGeometry(host->rect());
    CallScript(QStringLiteral("fix"), {host->rect().height()});
}

void CDlgMap::CallScript(const QString& function, const QJsonArray& arguments)
{
    if (!m_loaded) {
        return;
    }
    m_view->page()->runJavaScript(scriptCall(function, arguments));
}
