#include "map/map_page.h"

#include "map/map_tiles.h"

#include <QDir>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

const QString kTileHost = QStringLiteral("tile.openstreetmap.org");
constexpr int kCacheBytes = 200 * 1024 * 1024;

// The page's own files, and tiles from the user's tile file.
bool isOwnResource(const QUrl& url)
{
    return url.scheme() == QLatin1String("qrc") || url.scheme() == QLatin1String(kTileScheme);
}

bool isTile(const QUrl& url)
{
    return url.scheme() == QLatin1String("https") && url.host() == kTileHost;
}

}  // namespace

MapPage::MapPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
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
    // A named profile is kept on disk, so tiles seen once show again offline; the
    // browser's HTTP cache keeps them only as long as the tile server's headers allow.
    auto* profile = new QWebEngineProfile(QStringLiteral("map"), parent);
    profile->setCachePath(QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
                              .filePath(QStringLiteral("map")));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setHttpCacheMaximumSize(kCacheBytes);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setUrlRequestInterceptor(new MapRequestFilter(profile));
    // The tile server asks applications to identify themselves.
    profile->setHttpUserAgent(profile->httpUserAgent() + QStringLiteral(" dashcam-player/1.0"));
    return profile;
}
