// The map view in a real Qt WebEngine view, driven through its C++ operations,
// with the page's state read back through the view.
#include "map/map_page.h"
#include "map/map_tiles.h"
#include "map/map_view.h"

#include <QApplication>
#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <memory>

namespace {

constexpr int kWaitMs = 30000;

// The player window stand-in: it records the keys that reach it.
class Window : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.append(event->key()); }
};

// Runs a script in the page and returns its result, after every call made before it.
QVariant evaluate(QWebEnginePage* page, const QString& script)
{
    QVariant result;
    QEventLoop loop;
    page->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        loop.quit();
    });
    QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

// The page state as JSON text, read through the script, so lists compare as a whole.
QString pageState(QWebEnginePage* page, const QString& expression)
{
    return evaluate(page, QStringLiteral("JSON.stringify(%1)").arg(expression)).toString();
}

// The track: blue at half opacity over the black of a map without tiles.
bool isTrack(QColor c)
{
    return c.blue() > 100 && c.red() < 60 && c.green() < 60;
}

// Leaflet's default marker: a lighter blue.
bool isMarker(QColor c)
{
    return c.blue() > 150 && c.green() > 90 && c.red() < 90;
}

int countPixels(const QImage& image, bool (*matches)(QColor))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += matches(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// A tile of one colour, as PNG.
QByteArray pngTile(QColor colour)
{
    QImage tile(256, 256, QImage::Format_RGB32);
    tile.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    tile.save(&buffer, "PNG");
    return bytes;
}

// The four tiles of zoom 1 in an MBTiles file, each quadrant of the world its colour
// (rows counted from the north here); the file counts rows from the south, as the
// format says. It claims levels down to 5, which it lacks.
bool writeTileFile(const QString& path, const QColor (&quadrants)[2][2])
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
        db.setDatabaseName(path);
        QSqlQuery query(db);
        ok = db.open() &&
             query.exec(QStringLiteral("CREATE TABLE metadata (name TEXT, value TEXT)")) &&
             query.exec(QStringLiteral("INSERT INTO metadata VALUES ('maxzoom', '5')")) &&
             query.exec(QStringLiteral("CREATE TABLE tiles (zoom_level INTEGER, tile_column"
                                       " INTEGER, tile_row INTEGER, tile_data BLOB)"));
        for (int y = 0; ok && y < 2; ++y) {
            for (int x = 0; ok && x < 2; ++x) {
                query.prepare(QStringLiteral("INSERT INTO tiles VALUES (1, ?, ?, ?)"));
                query.addBindValue(x);
                query.addBindValue(1 - y);
                query.addBindValue(pngTile(quadrants[y][x]));
                ok = query.exec();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(path);
    return ok;
}

bool near(QColor c, QColor expected)
{
    return std::abs(c.red() - expected.red()) < 12 && std::abs(c.green() - expected.green()) < 12 &&
           std::abs(c.blue() - expected.blue()) < 12;
}

}  // namespace

class MapViewTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsItselfFittedOnceLoadedAndLosesEarlierCalls();
    void drawsTrackAndMarkerInCallOrder();
    void argumentsArriveAsTexts();
    void enterAndEscapePassOnWithoutHidingTheMap();
    void fetchesNothingFromElsewhere();
    void screenshotShowsTrackAndMarker();
    void sendsTheTripInOneCall();
    void keepsTilesInABoundedDiskCache();
    void showsTilesFromAFileAndTheWorldWhereItHasNone();
    void rightClickAndDragAskPassedHere();

private:
    void waitLoaded();
    QWebEnginePage* page() const { return m_map->findChild<QWebEngineView*>()->page(); }

    std::unique_ptr<Window> m_window;
    QLabel* m_host = nullptr;
    MapView* m_map = nullptr;
};

void MapViewTest::init()
{
    m_window = std::make_unique<Window>();
    m_window->resize(400, 600);
    m_host = new QLabel(QStringLiteral("Loading..."), m_window.get());
    m_host->setGeometry(20, 30, 333, 543);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_map = new MapView(m_host);
}

void MapViewTest::cleanup()
{
    m_window.reset();
}

void MapViewTest::waitLoaded()
{
    QSignalSpy loaded(m_map, &MapView::pageLoaded);
    QVERIFY(loaded.wait(kWaitMs));
}

void MapViewTest::showsItselfFittedOnceLoadedAndLosesEarlierCalls()
{
    QVERIFY(!m_map->isVisible());
    m_map->newPolyLine();
    m_map->putMarkerToLine(QStringLiteral("55.700000"), QStringLiteral("37.500000"));
    m_map->renderPolyLine();
    m_map->setPosition(QStringLiteral("55.700000"), QStringLiteral("37.500000"),
                       QStringLiteral("0"));

    waitLoaded();
    QVERIFY(m_map->isVisible());
    QCOMPARE(m_map->geometry(), m_host->rect());
    QCOMPARE(m_map->findChild<QWebEngineView*>()->geometry(), m_map->rect());
    QCOMPARE(evaluate(page(), QStringLiteral("inited")).toInt(), 1);
    QCOMPARE(pageState(page(), QStringLiteral("[marker, polyLine, markersArray.length, latitude]")),
             QStringLiteral("[null,null,0,null]"));
    QCOMPARE(pageState(page(), QStringLiteral("[document.getElementById('map_canvas').style.height,"
                                              " document.getElementById('gpsinfo').style.top]")),
             QStringLiteral("[\"543px\",\"527px\"]"));
}

void MapViewTest::drawsTrackAndMarkerInCallOrder()
{
    waitLoaded();
    m_map->newPolyLine();
    constexpr int kPoints = 300;
    for (int i = 0; i < kPoints; ++i) {
        m_map->putMarkerToLine(QString::asprintf("%d.%06d", 55, 700000 + i * 100),
                               QString::asprintf("%d.%06d", 37, 500000 + i * 200));
    }
    m_map->renderPolyLine();
    m_map->setPosition(QStringLiteral("55.729900"), QStringLiteral("37.559800"),
                       QStringLiteral("0"));

    QCOMPARE(evaluate(page(), QStringLiteral("polyLine.getLatLngs().length")).toInt(), kPoints);
    const QString ordered = QStringLiteral("polyLine.getLatLngs().every(function (p, i) {"
                                           " return Math.abs(p.lat - (55.7 + i * 0.0001)) < 1e-9 "
                                           "&& Math.abs(p.lng - (37.5 + i * 0.0002)) < 1e-9; })");
    QVERIFY(evaluate(page(), ordered).toBool());
    QCOMPARE(pageState(page(), QStringLiteral("[marker.getLatLng().lat, marker.getLatLng().lng]")),
             QStringLiteral("[55.7299,37.5598]"));
    QCOMPARE(pageState(page(), QStringLiteral("document.getElementById('gpsinfo').textContent")),
             QStringLiteral("\" Lgt:37.559800   Lat:55.729900   0Km/H\""));

    // A recording without positions: the old track goes and nothing new is drawn.
    m_map->newPolyLine();
    m_map->renderPolyLine();
    QCOMPARE(evaluate(page(), QStringLiteral("polyLine.getLatLngs().length")).toInt(), 0);
    QCOMPARE(evaluate(page(), QStringLiteral("document.querySelectorAll('.leaflet-overlay-pane "
                                             "path[d^=\"M\"]:not([d=\"M0 0\"])').length"))
                 .toInt(),
             0);

    // The recording being played is deleted: the info bar hides, the marker stays.
    m_map->setPosition(QString(), QString(), QString());
    QCOMPARE(pageState(page(), QStringLiteral("[map.hasLayer(marker), latitude]")),
             QStringLiteral("[true,\"55.729900\"]"));
}

void MapViewTest::argumentsArriveAsTexts()
{
    waitLoaded();
    const QString hostile =
        QStringLiteral("55.1\"');window.pwned=1;//\\</script><script>window.pwned=2</script>") +
        QChar(0x2028) + QStringLiteral("ü\\\"");
    const QString longitude = QStringLiteral("37.1'+(window.pwned=3)+'");
    m_map->setPosition(hostile, longitude, QStringLiteral("\"0\""));
    m_map->putMarkerToLine(hostile, longitude);

    QCOMPARE(evaluate(page(), QStringLiteral("typeof window.pwned")).toString(),
             QStringLiteral("undefined"));
    QCOMPARE(evaluate(page(), QStringLiteral("latitude")).toString(), hostile);
    QCOMPARE(evaluate(page(), QStringLiteral("longitude")).toString(), longitude);
    QCOMPARE(evaluate(page(), QStringLiteral("document.getElementById('gpsinfo').textContent"))
                 .toString(),
             QStringLiteral(" Lgt:") + longitude + QStringLiteral("   Lat:") + hostile +
                 QStringLiteral("   \"0\"Km/H"));
    // Texts that are not numbers place nothing.
    QCOMPARE(pageState(page(), QStringLiteral("[marker, markersArray.length]")),
             QStringLiteral("[null,0]"));
}

void MapViewTest::enterAndEscapePassOnWithoutHidingTheMap()
{
    waitLoaded();
    evaluate(page(),
             QStringLiteral(
                 "window.keysSeen = [];"
                 " document.addEventListener('keydown', function (e) { keysSeen.push(e.key); });"));
    QWidget* browser = m_map->findChild<QWebEngineView*>()->focusProxy();
    QVERIFY(browser);
    browser->setFocus();
    QTest::keyClick(browser, Qt::Key_Escape);
    QTest::keyClick(browser, Qt::Key_Return);
    QTest::keyClick(browser, Qt::Key_A);
    QTest::keyClick(browser, Qt::Key_Enter);
    QTRY_COMPARE_WITH_TIMEOUT(pageState(page(), QStringLiteral("keysSeen")),
                              QStringLiteral("[\"a\"]"), kWaitMs);
    // Keys the page leaves alone pass on too, after the page had them.
    QTRY_VERIFY_WITH_TIMEOUT(m_window->keys.contains(Qt::Key_A), kWaitMs);
    m_window->keys.removeAll(Qt::Key_A);
    QCOMPARE(m_window->keys, (QList<int>{Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}));
    QVERIFY(m_map->isVisible());
}

void MapViewTest::fetchesNothingFromElsewhere()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString url = QStringLiteral("http://127.0.0.1:%1/x.png").arg(server.serverPort());
    const QString probe = QStringLiteral("new Image().src = '%1'").arg(url);

    // The same request from an ordinary page does reach the server.
    QWebEnginePage plain;
    QSignalSpy plainLoaded(&plain, &QWebEnginePage::loadFinished);
    plain.setHtml(QStringLiteral("<html></html>"), QUrl(QStringLiteral("http://127.0.0.1/")));
    QVERIFY(plainLoaded.wait(kWaitMs));
    QSignalSpy reached(&server, &QTcpServer::newConnection);
    plain.runJavaScript(probe);
    QVERIFY(reached.wait(kWaitMs));
    delete server.nextPendingConnection();

    waitLoaded();
    QSignalSpy connections(&server, &QTcpServer::newConnection);
    evaluate(page(),
             QStringLiteral(
                 "window.refused = 0;"
                 " var img = new Image(); img.onerror = function () { refused++; }; img.src = '%1';"
                 " fetch('%1').catch(function () { refused++; });")
                 .arg(url));
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(page(), QStringLiteral("refused")).toInt(), 2, kWaitMs);
    evaluate(page(), QStringLiteral("location.href = '%1'").arg(url));
    QTest::qWait(500);
    QCOMPARE(connections.count(), 0);
    QCOMPARE(page()->url(), QUrl(QStringLiteral("qrc:/HTML/103")));
    QCOMPARE(evaluate(page(), QStringLiteral("inited")).toInt(), 1);
}

void MapViewTest::screenshotShowsTrackAndMarker()
{
    waitLoaded();
    m_map->newPolyLine();
    m_map->putMarkerToLine(QStringLiteral("55.700000"), QStringLiteral("37.450000"));
    m_map->putMarkerToLine(QStringLiteral("55.760000"), QStringLiteral("37.600000"));
    m_map->putMarkerToLine(QStringLiteral("55.800000"), QStringLiteral("37.750000"));
    m_map->renderPolyLine();
    m_map->setPosition(QStringLiteral("55.760000"), QStringLiteral("37.600000"),
                       QStringLiteral("0"));

    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT((shot = m_map->grab().toImage(), countPixels(shot, isTrack) > 200),
                             kWaitMs);
    // The map pans to the marker, whose icon stands on the centre.
    const QPoint centre = m_map->rect().center();
    const QRect icon(centre.x() - 12, centre.y() - 41, 25, 41);
    QTRY_VERIFY_WITH_TIMEOUT(
        (shot = m_map->grab().toImage(), countPixels(shot.copy(icon), isMarker) > 100), kWaitMs);
    const QString path = qEnvironmentVariable("MAP_SCREENSHOT");
    if (!path.isEmpty()) {
        shot.save(path);
    }
}

void MapViewTest::sendsTheTripInOneCall()
{
    waitLoaded();
    const MapTrack first{{55.7, 37.5}, {55.7, 37.5}, {55.7, 37.5}, {55.71, 37.52}, {55.7, 37.5}};
    const MapTrack second{{55.72, 37.54}, {-33.856784, -151.215297}};
    m_map->setTrip({first, second, {}}, 1);
    QCOMPARE(
        pageState(page(),
                  QStringLiteral("[trip.parts.map(function (p) { return p.length; }), trip.playing,"
                                 " trip.parts[1][1].lat, trip.parts[1][1].lng]")),
        QStringLiteral("[[3,2,0],1,-33.856784,-151.215297]"));

    m_map->setTrack({});
    QCOMPARE(pageState(page(),
                       QStringLiteral(
                           "[trip.parts.length, marker,"
                           " getComputedStyle(document.getElementById('mapnoposition')).display]")),
             QStringLiteral("[1,null,\"block\"]"));
}

void MapViewTest::keepsTilesInABoundedDiskCache()
{
    QWebEngineProfile* profile = page()->profile();
    QVERIFY(!profile->isOffTheRecord());
    QCOMPARE(profile->httpCacheType(), QWebEngineProfile::DiskHttpCache);
    QCOMPARE(profile->httpCacheMaximumSize(), 200 * 1024 * 1024);
    const QString cacheRoot = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QVERIFY2(profile->cachePath().startsWith(cacheRoot + QLatin1Char('/')),
             qPrintable(profile->cachePath()));
    // The tile server asks for a real user agent: the browser's, naming the program.
    QVERIFY(profile->httpUserAgent().contains(QLatin1String("Chrome/")));
    QVERIFY(profile->httpUserAgent().contains(QLatin1String("dashcam-player/")));
}

void MapViewTest::showsTilesFromAFileAndTheWorldWhereItHasNone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tiles.mbtiles"));
    const QColor quadrants[2][2] = {{Qt::red, Qt::green}, {Qt::blue, Qt::yellow}};
    QVERIFY(writeTileFile(path, quadrants));
    QString error;
    QVERIFY(!m_map->setTileFile(dir.filePath(QStringLiteral("none.mbtiles")), &error));
    QVERIFY(error.contains(QLatin1String("none.mbtiles")));
    QFile text(dir.filePath(QStringLiteral("text.mbtiles")));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write(QByteArray(4096, 'x')) == 4096);
    text.close();
    QVERIFY(!m_map->setTileFile(text.fileName(), &error));
    // Chosen before the page has loaded, the file is its source once it has.
    QVERIFY2(m_map->setTileFile(path, &error), qPrintable(error));
    waitLoaded();

    // Zoom 1 shows the whole world, each quadrant from its own tile.
    evaluate(page(), QStringLiteral("map.setView([0, 0], 1, { animate: false }); 0"));
    const QPoint centre = m_map->rect().center();
    const auto colourAt = [&](int dx, int dy) {
        return m_map->grab().toImage().pixelColor(centre + QPoint(dx, dy));
    };
    QTRY_VERIFY_WITH_TIMEOUT(near(colourAt(-60, -60), Qt::red), kWaitMs);
    QVERIFY(near(colourAt(60, -60), Qt::green));
    QVERIFY(near(colourAt(-60, 60), Qt::blue));
    QVERIFY(near(colourAt(60, 60), Qt::yellow));
    QCOMPARE(pageState(page(), QStringLiteral("getComputedStyle(document.getElementById("
                                              "'mapoffline')).display")),
             QStringLiteral("\"none\""));

    // A tile the file lacks fails at once rather than keeping the page waiting.
    evaluate(page(), QStringLiteral("window.lacking = 0; var lack = new Image();"
                                    " lack.onerror = function () { lacking = 1; };"
                                    " lack.src = 'mbtiles:/1/5/0/0'; 0"));
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(page(), QStringLiteral("lacking")).toInt(), 1, kWaitMs);

    // At zoom 5 the file has no tiles: the land of Berlin, the sea west of Denmark.
    evaluate(page(), QStringLiteral("map.setView([52.52, 13.4], 5, { animate: false }); 0"));
    QTRY_VERIFY_WITH_TIMEOUT(near(colourAt(0, 0), QColor(0x3a, 0x45, 0x36)), kWaitMs);
    evaluate(page(), QStringLiteral("map.setView([55.5, 5.5], 5, { animate: false }); 0"));
    QTRY_VERIFY_WITH_TIMEOUT(near(colourAt(0, 0), QColor(0x0d, 0x16, 0x20)), kWaitMs);

    // The tile server again: its tiles are asked for, none from the file.
    QVERIFY(m_map->setTileFile({}, &error));
    QTRY_COMPARE_WITH_TIMEOUT(
        pageState(page(), QStringLiteral("Object.values(map._layers).filter(function (l) {"
                                         " return l instanceof L.TileLayer; })[0]._url")),
        QStringLiteral("\"https://tile.openstreetmap.org/{z}/{x}/{y}.png\""), kWaitMs);
}

// A right-click asks about the place under it; a right-button drag about the circle drawn.
// Only well-formed asks reach the host, and the page stays.
void MapViewTest::rightClickAndDragAskPassedHere()
{
    waitLoaded();
    QSignalSpy asked(m_map, &MapView::passedHereAsked);
    evaluate(page(), QStringLiteral("map.setView([47.3712, 8.5417], 16, { animate: false }); 0"));
    QWidget* browser = m_map->findChild<QWebEngineView*>()->focusProxy();
    QVERIFY(browser);
    const QPoint centre = m_map->rect().center();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, browser->mapToGlobal(at), Qt::RightButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(browser, &event);
    };
    send(QEvent::MouseButtonPress, centre, Qt::RightButton);
    send(QEvent::MouseButtonRelease, centre, Qt::NoButton);
    QTRY_COMPARE_WITH_TIMEOUT(asked.count(), 1, kWaitMs);
    QVERIFY(std::abs(asked[0][0].toDouble() - 47.3712) < 1e-4);
    QVERIFY(std::abs(asked[0][1].toDouble() - 8.5417) < 1e-4);
    QCOMPARE(asked[0][2].toDouble(), 50.0);

    // 100 pixels east at zoom 16 near 47 degrees north: about 160 m.
    const double metresPerPixel =
        evaluate(page(), QStringLiteral("map.distance(map.containerPointToLatLng([0, 0]),"
                                        " map.containerPointToLatLng([100, 0])) / 100"))
            .toDouble();
    send(QEvent::MouseButtonPress, centre, Qt::RightButton);
    for (int dx = 10; dx <= 100; dx += 10) {
        send(QEvent::MouseMove, centre + QPoint(dx, 0), Qt::RightButton);
    }
    send(QEvent::MouseButtonRelease, centre + QPoint(100, 0), Qt::NoButton);
    QTRY_COMPARE_WITH_TIMEOUT(asked.count(), 2, kWaitMs);
    QVERIFY(std::abs(asked[1][0].toDouble() - 47.3712) < 1e-4);
    QVERIFY2(std::abs(asked[1][2].toDouble() - 100 * metresPerPixel) < 2 * metresPerPixel,
             qPrintable(asked[1][2].toString()));

    for (const char* bad : {"passed-here?lat=91&lon=8&metres=50", "passed-here?lat=47&lon=8",
                            "passed-here?lat=47&lon=8&metres=NaN",
                            "passed-here?lat=47&lon=8&metres=1e9", "other?lat=47&lon=8&metres=5"}) {
        evaluate(page(), QStringLiteral("tellHost('dashcam-ask:%1'); 0").arg(QLatin1String(bad)));
    }
    evaluate(page(), QStringLiteral("askPassedHere(-33.5, 151.25, 75); 0"));
    QTRY_COMPARE_WITH_TIMEOUT(asked.count(), 3, kWaitMs);
    QCOMPARE(asked[2][0].toDouble(), -33.5);
    QCOMPARE(asked[2][2].toDouble(), 75.0);
    QCOMPARE(page()->url(), QUrl(QStringLiteral("qrc:/HTML/103")));
    QCOMPARE(evaluate(page(), QStringLiteral("inited")).toInt(), 1);
}

int main(int argc, char** argv)
{
    // The map's profile keeps its cache under the user's folders: the test's own, here.
    QStandardPaths::setTestModeEnabled(true);
    // WebEngine shares its GL contexts with the widgets; Qt asks for this before the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    registerTileScheme();
    registerAskScheme();
    QApplication app(argc, argv);
    MapViewTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "map_view_test.moc"
