#include "map_page.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

const QString kTileHost = QStringLiteral("tile.openstreetmap.org");

bool isOwnResource(const QUrl& url)
{
    return url.scheme() == QLatin1String("qrc");
}

bool isTile(const QUrl& url)
{
    return url.scheme() == QLatin1String("https") && url.host() == kTileHost;
}

}  // namespace

MapPage::MapPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent)
{
    settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
}

QUrl MapPage::pageUrl()
{
    return QUrl(QStringLiteral("qrc:/HTML/103"));
}

bool MapPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool)
{
    return url == pageUrl();
}

void MapRequestFilter::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl();
    info.block(!isOwnResource(url) && !isTile(url));
}

QWebEngineProfile* createMapProfile(QObject* parent)
{
    auto* profile = new QWebEngineProfile(parent);  // no storage name: off the record
    profile->setUrlRequestInterceptor(new MapRequestFilter(profile));
    // The tile server asks applications to identify themselves.
    profile->setHttpUserAgent(profile->httpUserAgent() + QStringLiteral(" dashcam-player/1.0"));
    return profile;
}
