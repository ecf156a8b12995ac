#include "map/map_page.h"

#include "map/map_tiles.h"

#include <cmath>
#include <optional>

#include <QDir>
#include <QStandardPaths>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

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

struct AskedPlace
{
    double latitude = 0.0;
    double longitude = 0.0;
    double metres = 0.0;
};

// The place of an ask; nothing when a number is missing, not one, or out of range.
std::optional<AskedPlace> askedPlace(const QUrl& url)
{
    if (url.path() != QLatin1String("passed-here")) {
        return std::nullopt;
    }
    const QUrlQuery query(url);
    bool ok[3] = {};
    const AskedPlace place{query.queryItemValue(QStringLiteral("lat")).toDouble(&ok[0]),
                           query.queryItemValue(QStringLiteral("lon")).toDouble(&ok[1]),
                           query.queryItemValue(QStringLiteral("metres")).toDouble(&ok[2])};
    // NaN fails every comparison, so it is refused with the rest.
    const bool inRange = std::abs(place.latitude) <= 90.0 && std::abs(place.longitude) <= 180.0 &&
                         place.metres > 0.0 && place.metres <= MapPage::kMaxAskMetres;
    if (!ok[0] || !ok[1] || !ok[2] || !inRange) {
        return std::nullopt;
    }
    return place;
}

// Serves nothing: an ask is a navigation, refused before any request. The engine hands
// navigations to a scheme to the page's judgement only once the scheme has a handler.
class RefusingSchemeHandler : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
    }
};

}  // namespace

void registerAskScheme()
{
    QWebEngineUrlScheme scheme(kAskScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
}

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
    if (url.scheme() == QLatin1String(kAskScheme)) {
        if (const std::optional<AskedPlace> place = askedPlace(url)) {
            emit passedHereAsked(place->latitude, place->longitude, place->metres);
        }
        return false;
    }
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
    if (QWebEngineUrlScheme::schemeByName(kAskScheme).name() == kAskScheme) {
        profile->installUrlSchemeHandler(kAskScheme, new RefusingSchemeHandler(profile));
    }
    // The tile server asks applications to identify themselves.
    profile->setHttpUserAgent(profile->httpUserAgent() + QStringLiteral(" dashcam-player/1.0"));
    return profile;
}
