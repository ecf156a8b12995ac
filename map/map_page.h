#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

class QWebEngineProfile;

// The scheme of the page's asks to the host, which the host refuses as navigations and
// reads. Known to the engine, the page may navigate to it without a user's gesture.
inline constexpr char kAskScheme[] = "dashcam-ask";
// Makes the scheme known to the web engine; it must run before the application object is made.
void registerAskScheme();

// The browser page of the map. It stays on the program's own map page: links
// (the tile attribution, for one) and script navigations are refused. The page asks
// "passed here" by a navigation to dashcam-ask:passed-here?lat=..&lon=..&metres=..,
// refused too and reported.
class MapPage : public QWebEnginePage
{
    Q_OBJECT

public:
    MapPage(QWebEngineProfile* profile, QObject* parent);

    // The map page in the program's resources (HTML resource 103).
    static QUrl pageUrl();

    // The largest radius the page may ask about.
    static constexpr double kMaxAskMetres = 100000.0;

signals:
    // Which recordings passed within metres of the place (degrees); only a place on
    // earth and a radius within kMaxAskMetres.
    void passedHereAsked(double latitude, double longitude, double metres);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

// Lets the map fetch only the program's own resources, the tile file and the map tiles.
class MapRequestFilter : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// The map's browser profile: tiles stay in a bounded HTTP disk cache under the
// user's cache folder between runs (no cookies are kept), requests pass through
// MapRequestFilter, and the tile server sees who asks.
QWebEngineProfile* createMapProfile(QObject* parent);
