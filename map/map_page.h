#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

class QWebEngineProfile;

// The browser page of the map. It stays on the program's own map page: links
// (the tile attribution, for one) and script navigations are refused.
class MapPage : public QWebEnginePage
{
    Q_OBJECT

public:
    MapPage(QWebEngineProfile* profile, QObject* parent);

    // The map page in the program's resources (HTML resource 103).
    static QUrl pageUrl();

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
