// The map page in Debian's Chromium, opened from a folder that holds the page
// beside a copy of Debian's Leaflet, as the program's resources hold them.
import { after, before, beforeEach, afterEach, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { cpSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const pageSource = fileURLToPath(new URL('../../map/page/', import.meta.url));
const leafletSource = '/usr/share/javascript/leaflet';
const tileHost = 'https://tile.openstreetmap.org/';

const launchOptions = {
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
};

let browser;
let folder;

// The page files alone, or beside a `leaflet/` copy of the library.
function pageFolder(withLeaflet) {
  const dir = join(folder, withLeaflet ? 'online' : 'offline');
  cpSync(pageSource, dir, { recursive: true });
  if (withLeaflet) {
    cpSync(leafletSource, join(dir, 'leaflet'), { recursive: true });
  }
  return dir;
}

let readyUrl;
let offlineUrl;

before(async () => {
  folder = mkdtempSync(join(tmpdir(), 'map-page-'));
  readyUrl = pathToFileURL(join(pageFolder(true), 'map.html')).href;
  offlineUrl = pathToFileURL(join(pageFolder(false), 'map.html')).href;
  browser = await chromium.launch(launchOptions);
});

after(async () => {
  await browser?.close();
  rmSync(folder, { recursive: true, force: true });
});

// A fresh page of the given size; tile requests fail at once, as they do offline,
// so that no test ever reaches the tile server.
async function openPage(url, viewport = { width: 332, height: 542 }) {
  const page = await browser.newPage({ viewport });
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  await page.route(`${tileHost}**`, (route) => route.abort());
  await page.goto(url);
  return { page, requests };
}

// Waits (up to five seconds) until the condition holds for something the page does
// on its own time, such as a request.
async function eventually(condition, message) {
  for (let i = 0; i < 200 && !condition(); i++) {
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
  assert.ok(condition(), message);
}

// How far, in screen pixels, a position lies from the centre of the map. Leaflet
// keeps its view on whole pixels, so a centred position may be off by less than one.
function pixelsFromCentre(page, lat, lng) {
  return page.evaluate(([y, x]) =>
    map.latLngToContainerPoint([y, x]).distanceTo(map.getSize().divideBy(2)), [lat, lng]);
}

// Waits until the map has panned to the position.
function centredOn(page, lat, lng) {
  return page.waitForFunction(([y, x]) =>
    map.latLngToContainerPoint([y, x]).distanceTo(map.getSize().divideBy(2)) < 1, [lat, lng]);
}

async function state(page) {
  return page.evaluate(() => ({
    inited,
    marker: marker ? [marker.getLatLng().lat, marker.getLatLng().lng] : null,
    markerOnMap: marker ? map.hasLayer(marker) : false,
    center: map ? [map.getCenter().lat, map.getCenter().lng] : null,
    track: polyLine ? polyLine.getLatLngs().map((p) => [p.lat, p.lng]) : null,
    trackOnMap: polyLine ? map.hasLayer(polyLine) : false,
    collected: markersArray.length,
    latitude,
    longitude,
    info: document.getElementById('gpsinfo').textContent,
    infoDisplay: getComputedStyle(document.getElementById('gpsinfo')).display,
  }));
}

// Every SVG path Leaflet has drawn in the overlay pane.
async function drawnPaths(page) {
  return page.$$eval('.leaflet-overlay-pane path', (paths) => paths.map((p) => ({
    d: p.getAttribute('d'),
    stroke: p.getAttribute('stroke'),
    opacity: p.getAttribute('stroke-opacity'),
    width: p.getAttribute('stroke-width'),
  })));
}

describe('a page whose map library loaded', () => {
  let page;
  let requests;

  beforeEach(async () => {
    ({ page, requests } = await openPage(readyUrl));
  });

  afterEach(async () => {
    await page.close();
  });

  it('has its elements, styles and start view', async () => {
    const layout = await page.evaluate(() => {
      const style = (id) => getComputedStyle(document.getElementById(id));
      const body = style('mapView');
      const info = style('gpsinfo');
      return {
        charset: document.characterSet,
        bodyIsPage: document.body.id,
        children: [...document.body.children].map((e) => e.id),
        body: [body.marginTop, body.marginLeft, body.color, body.backgroundColor, body.fontSize,
          body.fontFamily],
        info: [info.backgroundColor, info.color, info.opacity, info.position, info.left, info.display],
        canvasWidth: document.getElementById('map_canvas').clientWidth === document.body.clientWidth,
        zoom: map.getZoom(),
        tiles: Object.values(map._layers).filter((l) => l instanceof L.TileLayer)
          .map((l) => [l._url, l.getAttribution()]),
      };
    });
    assert.equal(layout.charset, 'UTF-8');
    assert.equal(layout.bodyIsPage, 'mapView');
    assert.deepEqual(layout.children, ['map_canvas', 'gpsinfo']);
    assert.deepEqual(layout.body,
      ['0px', '0px', 'rgb(136, 136, 136)', 'rgb(0, 0, 0)', '12px', 'Arial, sans-serif']);
    assert.deepEqual(layout.info,
      ['rgb(128, 128, 128)', 'rgb(255, 255, 0)', '0.8', 'absolute', '0px', 'none']);
    assert.ok(layout.canvasWidth);
    await page.evaluate(() => ShowGpsInfo(1));
    assert.ok(await page.evaluate(() =>
      document.getElementById('gpsinfo').offsetWidth === document.body.clientWidth));
    assert.equal(layout.zoom, 10);
    assert.equal(layout.tiles.length, 1);
    assert.equal(layout.tiles[0][0], 'https://tile.openstreetmap.org/{z}/{x}/{y}.png');
    assert.match(layout.tiles[0][1], /OpenStreetMap/);

    const s = await state(page);
    assert.equal(s.inited, 1);
    assert.ok(await pixelsFromCentre(page, 55.750300, 37.616500) < 1);
    assert.equal(s.marker, null);
    assert.equal(s.track, null);
    assert.equal(s.collected, 0);
    assert.equal(s.latitude, null);
    assert.equal(s.longitude, null);
    assert.equal(s.info, '-');
  });

  it('loads nothing but its own files and the standard tiles', async () => {
    await page.evaluate(() => SetLgtLat('55.800000', '37.700000', '0'));
    const base = readyUrl.slice(0, readyUrl.lastIndexOf('/') + 1);
    await eventually(() => requests.some((url) => url.startsWith(tileHost)), 'the map asks for tiles');
    await eventually(() => requests.includes(`${base}leaflet/images/marker-icon.png`), 'the marker has its icon');
    const foreign = requests.filter((url) => !url.startsWith(base) && !url.startsWith(tileHost));
    assert.deepEqual(foreign, []);
  });

  it('shows a position: info text, marker and pan, info bar kept hidden', async () => {
    await page.evaluate(() => SetLgtLat('55.812345', '37.654321', '42'));
    let s = await state(page);
    assert.equal(s.info, ' Lgt:37.654321   Lat:55.812345   42Km/H');
    assert.equal(s.infoDisplay, 'none');
    assert.deepEqual(s.marker, [55.812345, 37.654321]);
    assert.ok(s.markerOnMap);
    assert.equal(s.latitude, '55.812345');
    assert.equal(s.longitude, '37.654321');
    await centredOn(page, 55.812345, 37.654321);

    await page.evaluate(() => SetLgtLat('-33.856784', '-151.215297', '0'));
    s = await state(page);
    assert.deepEqual(s.marker, [-33.856784, -151.215297]);
    const markers = await page.$$eval('.leaflet-marker-pane img', (imgs) => imgs.length);
    assert.equal(markers, 1, 'the one marker moves, no second one appears');
    await centredOn(page, -33.856784, -151.215297);
  });

  it('does not move or pan for repeated texts, only the speed text changes', async () => {
    await page.evaluate(() => SetLgtLat('55.812345', '37.654321', '10'));
    await centredOn(page, 55.812345, 37.654321);
    // The user drags the map away; the same position again must not pull it back.
    await page.evaluate(() => { map.setView([55.5, 37.2], 10, { animate: false }); });
    await page.evaluate(() => SetLgtLat('55.812345', '37.654321', '20'));
    const s = await state(page);
    assert.ok(await pixelsFromCentre(page, 55.5, 37.2) < 1);
    assert.deepEqual(s.marker, [55.812345, 37.654321]);
    assert.equal(s.info, ' Lgt:37.654321   Lat:55.812345   20Km/H');

    // The same numbers written differently are different texts: the map follows.
    await page.evaluate(() => SetLgtLat('55.8123450', '37.654321', '20'));
    await centredOn(page, 55.812345, 37.654321);
    assert.equal((await state(page)).latitude, '55.8123450');
  });

  it('hides the info bar on empty texts and keeps marker and track', async () => {
    await page.evaluate(() => {
      newPolyLine();
      putMarkerToLine('55.1', '37.1');
      putMarkerToLine('55.2', '37.2');
      renderPolyLine();
      SetLgtLat('55.2', '37.2', '0');
      ShowGpsInfo(1);
    });
    assert.equal((await state(page)).infoDisplay, 'block');
    await page.evaluate(() => SetLgtLat('', '', ''));
    const s = await state(page);
    assert.equal(s.infoDisplay, 'none');
    assert.deepEqual(s.marker, [55.2, 37.2]);
    assert.ok(s.markerOnMap);
    assert.deepEqual(s.track, [[55.1, 37.1], [55.2, 37.2]]);
    assert.ok(s.trackOnMap);
    assert.equal(s.latitude, '55.2');
    assert.equal(s.info, ' Lgt:37.2   Lat:55.2   0Km/H');
  });

  it('draws a blue, half-transparent, 4-pixel track in call order without moving the map', async () => {
    const center = (await state(page)).center;
    await page.evaluate(() => {
      newPolyLine();
      putMarkerToLine('55.700000', '37.500000');
      putMarkerToLine('55.750000', '37.600000');
      putMarkerToLine('55.750000', '37.600000');
      putMarkerToLine('55.800000', '37.700000');
      renderPolyLine();
    });
    const s = await state(page);
    assert.deepEqual(s.track, [[55.7, 37.5], [55.75, 37.6], [55.75, 37.6], [55.8, 37.7]]);
    assert.ok(s.trackOnMap);
    assert.deepEqual(s.center, center);
    const paths = await drawnPaths(page);
    assert.equal(paths.length, 1);
    assert.deepEqual([paths[0].stroke, paths[0].opacity, paths[0].width], ['#0000FF', '0.5', '4']);
    assert.match(paths[0].d, /^M-?\d+ -?\d+L/);
  });

  it('replaces the previous track at newPolyLine', async () => {
    await page.evaluate(() => {
      newPolyLine();
      putMarkerToLine('55.7', '37.5');
      putMarkerToLine('55.8', '37.7');
      renderPolyLine();
      window.firstTrack = polyLine;
      newPolyLine();
    });
    let s = await state(page);
    assert.equal(s.collected, 0);
    assert.equal(await page.evaluate(() => map.hasLayer(window.firstTrack)), false);
    assert.equal((await drawnPaths(page)).length, 0, 'the old line is gone from the map');

    await page.evaluate(() => {
      putMarkerToLine('55.6', '37.4');
      putMarkerToLine('55.65', '37.45');
      putMarkerToLine('55.7', '37.5');
      renderPolyLine();
    });
    s = await state(page);
    assert.deepEqual(s.track, [[55.6, 37.4], [55.65, 37.45], [55.7, 37.5]]);
    assert.equal((await drawnPaths(page)).length, 1);
  });

  it('draws nothing visible for an empty track', async () => {
    await page.evaluate(() => {
      newPolyLine();
      putMarkerToLine('55.7', '37.5');
      renderPolyLine();
      newPolyLine();
      renderPolyLine();
    });
    const s = await state(page);
    assert.deepEqual(s.track, []);
    assert.ok(s.trackOnMap);
    const paths = await drawnPaths(page);
    assert.ok(paths.every((p) => p.d === null || p.d === '' || p.d === 'M0 0'), JSON.stringify(paths));
  });

  it('draws again over the same points without leaving a line behind', async () => {
    await page.evaluate(() => {
      newPolyLine();
      putMarkerToLine('55.7', '37.5');
      putMarkerToLine('55.8', '37.7');
      renderPolyLine();
      renderPolyLine();
      newPolyLine();
    });
    assert.equal((await drawnPaths(page)).length, 0);
  });

  it('ignores coordinate texts that are not numbers', async () => {
    await page.evaluate(() => {
      newPolyLine();
      putMarkerToLine('55.7', '37.5');
      putMarkerToLine('', '');
      putMarkerToLine('0', 'abc');
      putMarkerToLine('55.8', '37.7');
      renderPolyLine();
      SetLgtLat('x', '37.1', '5');
    });
    const s = await state(page);
    assert.deepEqual(s.track, [[55.7, 37.5], [55.8, 37.7]]);
    assert.equal(s.marker, null);
    assert.equal(s.info, ' Lgt:37.1   Lat:x   5Km/H');
  });

  it('fix(310) gives the map 310 pixels and puts the info bar at 294', async () => {
    await page.evaluate(() => {
      ShowGpsInfo(1);
      fix(310);
    });
    const layout = () => page.evaluate(() => ({
      canvas: document.getElementById('map_canvas').offsetHeight,
      infoTop: document.getElementById('gpsinfo').offsetTop,
      mapSize: map.getSize().y,
    }));
    assert.deepEqual(await layout(), { canvas: 310, infoTop: 294, mapSize: 310 });
    // A later resize keeps the smaller explicit height.
    await page.setViewportSize({ width: 400, height: 600 });
    await page.waitForFunction(() => window.innerHeight === 600);
    assert.deepEqual(await layout(), { canvas: 310, infoTop: 294, mapSize: 310 });
  });

  it('fix(0) fits the map to the visible height', async () => {
    assert.equal(await page.evaluate(() => document.getElementById('map_canvas').offsetHeight), 542);
    await page.evaluate(() => {
      ShowGpsInfo(1);
      fix(0);
    });
    assert.deepEqual(await page.evaluate(() => [
      document.getElementById('map_canvas').style.height,
      document.getElementById('gpsinfo').offsetTop,
    ]), ['542px', 526]);
  });

  it('swallows script errors', async () => {
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    await page.evaluate(() => new Promise((resolve) => {
      setTimeout(() => { throw new Error('boom'); });
      setTimeout(resolve, 50);
    }));
    assert.deepEqual(errors, []);
  });
});

describe('calls before the map exists', () => {
  it('do nothing before initialize has run', async () => {
    const page = await browser.newPage();
    await page.route(`${tileHost}**`, (route) => route.abort());
    // The page's script has run but its load event, which creates the map, has not.
    await page.addInitScript(() => {
      document.addEventListener('DOMContentLoaded', () => {
        window.early = { inited };
        SetLgtLat('55.1', '37.1', '9');
        newPolyLine();
        putMarkerToLine('55.1', '37.1');
        renderPolyLine();
        window.early.info = document.getElementById('gpsinfo').textContent;
      });
    });
    await page.goto(readyUrl);
    const early = await page.evaluate(() => window.early);
    assert.deepEqual(early, { inited: 0, info: '-' });
    const s = await state(page);
    assert.equal(s.inited, 1);
    assert.equal(s.marker, null);
    assert.equal(s.track, null);
    assert.equal(s.collected, 0);
    assert.equal(s.latitude, null);
    await page.close();
  });

  it('do nothing for the life of a page whose map library is missing', async () => {
    const { page } = await openPage(offlineUrl);
    const result = await page.evaluate(() => {
      SetLgtLat('55.1', '37.1', '9');
      newPolyLine();
      putMarkerToLine('55.1', '37.1');
      renderPolyLine();
      SetLgtLat('', '', '');
      fix(310);
      return {
        inited,
        map,
        marker,
        polyLine,
        collected: markersArray.length,
        info: document.getElementById('gpsinfo').textContent,
        background: getComputedStyle(document.body).backgroundColor,
      };
    });
    assert.deepEqual(result, {
      inited: 0, map: null, marker: null, polyLine: null, collected: 0, info: '-',
      background: 'rgb(0, 0, 0)',
    });
    await page.close();
  });
});

// A drive of about 1.5 km eastwards through Berlin, one point a second.
function drive(points = 100, start = [52.52, 13.40], metres = 1500) {
  const step = metres / 67800 / (points - 1);  // a degree of longitude there is 67.8 km
  return Array.from({ length: points }, (_, i) => [start[0] + i * 0.00001, +(start[1] + i * step).toFixed(6)]);
}

// The stroke of the trip's paths by their classes, and how many points each holds.
function tripPaths(page) {
  return page.$$eval('.leaflet-overlay-pane path', (paths) => paths.map((p) => ({
    kind: p.getAttribute('class').replace('leaflet-interactive', '').trim(),
    stroke: p.getAttribute('stroke'),
    width: Number(p.getAttribute('stroke-width')),
    drawn: (p.getAttribute('d') || '').replace('M0 0', '').length > 0,
  })));
}

// Relative luminance of a #rrggbb colour, 0 (black) to 1 (white).
function luminance(hex) {
  const [r, g, b] = [1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16) / 255)
    .map((c) => (c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4));
  return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

function noteShown(page, id) {
  return page.evaluate((noteId) => {
    const note = document.getElementById(noteId);
    return getComputedStyle(note).display !== 'none' ? note.textContent : null;
  }, id);
}

describe('a trip on the map', () => {
  let page;

  beforeEach(async () => {
    ({ page } = await openPage(readyUrl));
  });

  afterEach(async () => {
    await page.close();
  });

  it('fits a 1.5 km drive with a margin on open, keeps it while the marker moves, and fits again on the button', async () => {
    const track = drive();
    await page.evaluate((points) => setTrack(points), track);
    const inView = () => page.evaluate((points) => {
      const size = map.getSize();
      const margins = points.map((p) => map.latLngToContainerPoint(p))
        .map((c) => Math.min(c.x, c.y, size.x - c.x, size.y - c.y));
      return { zoom: map.getZoom(), margin: Math.min(...margins) };
    }, track);
    const fitted = await inView();
    assert.ok(fitted.zoom > 10, `zoom ${fitted.zoom}`);
    assert.ok(fitted.margin >= 20, `closest point ${fitted.margin} px from the edge`);

    // The marker starts at the beginning and moves along without losing the drive.
    assert.deepEqual((await state(page)).marker, track[0]);
    await page.evaluate(([lat, lng]) => SetLgtLat(String(lat), String(lng), '0'), track[60]);
    assert.deepEqual((await state(page)).marker, track[60]);
    assert.deepEqual(await inView(), fitted);

    // The user zooms out and wanders off; the button brings the drive back.
    await page.evaluate(() => { map.setView([48.1, 11.5], 6, { animate: false }); });
    await page.click('.map-fit a');
    assert.deepEqual(await inView(), fitted);
    assert.equal(page.url(), readyUrl, 'the button does not navigate');
  });

  it('draws light lines on dark outlines, driven apart from ahead, the playing part wider', async () => {
    const trip = [drive(30, [52.50, 13.40]), drive(30, [52.51, 13.43]), drive(30, [52.52, 13.46])];
    await page.evaluate((parts) => setTrip(parts, 1), trip);
    const paths = await tripPaths(page);
    const one = (kind) => {
      const found = paths.filter((p) => p.kind === kind);
      assert.equal(found.length, 1, `${kind}: ${JSON.stringify(paths)}`);
      return found[0];
    };
    const outline = one('track-outline');
    const playingOutline = one('track-outline track-playing');
    const driven = one('track-driven');
    const ahead = one('track-ahead');
    const playingDriven = one('track-driven track-playing');
    const playingAhead = one('track-ahead track-playing');
    assert.ok(luminance(outline.stroke) < 0.05 && luminance(playingOutline.stroke) < 0.05);
    for (const line of [driven, ahead, playingDriven, playingAhead]) {
      assert.ok(luminance(line.stroke) > 0.4, `${line.kind} ${line.stroke} is light`);
      assert.ok(line.drawn || line === playingDriven, `${line.kind} is drawn`);
    }
    assert.notEqual(driven.stroke, ahead.stroke);
    assert.equal(playingDriven.stroke, driven.stroke);
    assert.equal(playingAhead.stroke, ahead.stroke);
    assert.ok(outline.width > driven.width && playingOutline.width > playingDriven.width);
    assert.ok(playingDriven.width > driven.width && playingOutline.width > outline.width);

    // Earlier parts are driven, later ones ahead; the playing part splits at the marker.
    const split = () => page.evaluate(() => [trip.driven.getLatLngs().length, trip.ahead.getLatLngs().length]);
    assert.deepEqual(await page.evaluate(() => trip.layers.getLayers()
      .filter((l) => /^track-(driven|ahead)$/.test(l.options.className))
      .map((l) => [l.options.className, l.getLatLngs().map((part) => part.length)])),
    [['track-driven', [30]], ['track-ahead', [30]]]);
    assert.deepEqual(await split(), [1, 30]);
    await page.evaluate(([lat, lng]) => SetLgtLat(String(lat), String(lng), '0'), trip[1][20]);
    assert.deepEqual(await split(), [21, 10]);
    // A seek back.
    await page.evaluate(([lat, lng]) => SetLgtLat(String(lat), String(lng), '0'), trip[1][5]);
    assert.deepEqual(await split(), [6, 25]);
  });

  it('takes a long track in one call, merging consecutive equal positions', async () => {
    // Ten table entries per logged second, as the window holds them, some as texts.
    const seconds = drive(10000, [52.52, 13.40], 30000);
    const entries = seconds.flatMap((p, i) => Array(10).fill(i % 2 ? p.map(String) : p));
    entries.splice(5, 0, ['', ''], ['0', 'abc'], null);
    entries.push(seconds[0]);  // back at the start: equal, but not consecutive
    const result = await page.evaluate((points) => {
      setTrack(points);
      return { points: trip.parts[0].length, first: trip.parts[0][1], last: trip.parts[0].at(-1) };
    }, entries);
    assert.equal(result.points, 10001);
    assert.deepEqual([result.first.lat, result.first.lng], seconds[1]);
    assert.deepEqual([result.last.lat, result.last.lng], seconds[0]);
    assert.ok((await tripPaths(page)).some((p) => p.kind === 'track-ahead track-playing' && p.drawn));
  });

  it('fits and draws a trip of 60 recordings of 60 points', async (t) => {
    const trip = Array.from({ length: 60 }, (_, i) => drive(60, [52.40 + i * 0.002, 13.40 + i * 0.004], 300));
    const runs = await page.evaluate((parts) => Array.from({ length: 5 }, (_, run) => {
      const start = performance.now();
      setTrip(parts, run * 10);
      return performance.now() - start;
    }), trip);
    const painted = await page.evaluate((parts) => new Promise((resolve) => {
      const start = performance.now();
      setTrip(parts, 30);
      requestAnimationFrame(() => setTimeout(() => resolve(performance.now() - start)));
    }), trip);
    assert.equal(await page.evaluate(() => trip.parts.flat().length), 3600);
    assert.ok(await page.evaluate(() => map.getBounds().contains(L.latLngBounds(trip.parts.flat()))));
    t.diagnostic(`setTrip of 3600 points in 60 parts: ${runs.map((ms) => ms.toFixed(1)).join(', ')} ms;` +
      ` to the next painted frame: ${painted.toFixed(1)} ms`);
  });

  it('says when a recording has no position and leaves no stale marker or track', async () => {
    const track = drive(20);
    await page.evaluate((points) => {
      setTrack(points);
      SetLgtLat(String(points[5][0]), String(points[5][1]), '0');
    }, track);
    assert.equal(await noteShown(page, 'mapnoposition'), null);
    await page.evaluate(() => setTrack([]));
    assert.equal(await noteShown(page, 'mapnoposition'), 'No position in this recording');
    assert.equal((await state(page)).marker, null);
    assert.equal(await page.$$eval('.leaflet-marker-pane img', (imgs) => imgs.length), 0);
    assert.ok((await tripPaths(page)).every((p) => !p.drawn));

    // The next recording has positions: the note goes, the marker comes back even
    // at the position it last had.
    await page.evaluate((points) => {
      setTrack(points);
      SetLgtLat(String(points[5][0]), String(points[5][1]), '0');
    }, track);
    assert.equal(await noteShown(page, 'mapnoposition'), null);
    assert.deepEqual((await state(page)).marker, track[5]);

    // The recording went: nothing of it stays, and no note claims a recording.
    await page.evaluate(() => clearMap());
    assert.equal((await state(page)).marker, null);
    assert.equal(await noteShown(page, 'mapnoposition'), null);
    assert.equal(await page.$$eval('.leaflet-overlay-pane path', (paths) => paths.length), 0);
  });

  it('says the map is offline while tiles cannot be fetched', async () => {
    // openPage refuses every tile request.
    await page.waitForFunction(() => getComputedStyle(document.getElementById('mapoffline')).display !== 'none');
    assert.equal(await noteShown(page, 'mapoffline'), 'Map offline');
    await page.evaluate(() => setTrip([[[47.37, 8.54], [47.38, 8.55]]], 0));
    assert.equal(await page.evaluate(() => tripShown()), false, 'the report draws the track itself');
  });
});

describe('tiles that arrive', () => {
  it('leave no offline note', async () => {
    const page = await browser.newPage();
    // A 1x1 PNG.
    const png = Buffer.from('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==', 'base64');
    let served = 0;
    await page.route(`${tileHost}**`, (route) => {
      served++;
      route.fulfill({ status: 200, contentType: 'image/png', body: png });
    });
    await page.goto(readyUrl);
    await eventually(() => served > 0, 'the map asks for tiles');
    await page.waitForFunction(() => document.querySelectorAll('.leaflet-tile-loaded').length > 0);
    assert.equal(await noteShown(page, 'mapoffline'), null);
    // The host takes the map's picture for a report only when it shows a trip on tiles.
    assert.equal(await page.evaluate(() => tripShown()), false, 'no trip yet');
    await page.evaluate(() => setTrip([[], [[47.37, 8.54], [47.38, 8.55]]], 0));
    assert.equal(await page.evaluate(() => tripShown()), true);
    await page.close();
  });
});

describe('asking which recordings passed a place', () => {
  let page;

  beforeEach(async () => {
    ({ page } = await openPage(readyUrl));
    // What the host is told, kept instead of navigating (the host refuses the navigation).
    await page.evaluate(() => {
      window.told = [];
      tellHost = (url) => told.push(url);
      map.setView([47.3712, 8.5417], 16, { animate: false });
    });
  });

  afterEach(async () => {
    await page.close();
  });

  const asked = (url) => {
    const parsed = new URL(url);
    assert.equal(`${parsed.protocol}${parsed.pathname}`, 'dashcam-ask:passed-here');
    return ['lat', 'lon', 'metres'].map((name) => Number(parsed.searchParams.get(name)));
  };
  const placeAt = (x, y) => page.evaluate(([px, py]) => {
    const p = map.containerPointToLatLng([px, py]);
    return [p.lat, p.lng];
  }, [x, y]);
  const circle = () => page.evaluate(() => askedCircle && map.hasLayer(askedCircle)
    ? [askedCircle.getLatLng().lat, askedCircle.getLatLng().lng, askedCircle.getRadius()] : null);

  it('asks within 50 m of a right-clicked place, with no browser menu and no pan', async () => {
    const box = await page.locator('#map_canvas').boundingBox();
    const centreBefore = (await state(page)).center;
    // Listening before the click: a listener still on its way would miss it and wait for ever.
    await page.evaluate(() => {
      window.menuPrevented = null;
      document.addEventListener('contextmenu', (e) => { window.menuPrevented = e.defaultPrevented; });
    });
    await page.mouse.click(box.x + 100, box.y + 200, { button: 'right' });
    assert.equal(await page.evaluate(() => window.menuPrevented), true,
      'the browser\'s menu is kept back');
    const told = await page.evaluate(() => told);
    assert.equal(told.length, 1);
    const [lat, lon, metres] = asked(told[0]);
    const [wantLat, wantLon] = await placeAt(100, 200);
    assert.ok(Math.abs(lat - wantLat) < 1e-6 && Math.abs(lon - wantLon) < 1e-6, `${lat},${lon}`);
    assert.equal(metres, 50);
    const [circleLat, circleLon, radius] = await circle();
    assert.ok(Math.abs(circleLat - lat) < 1e-6 && Math.abs(circleLon - lon) < 1e-6);
    assert.equal(radius, 50);
    assert.deepEqual((await state(page)).center, centreBefore);
  });

  it('asks within the circle a right-button drag draws, and a left drag still pans', async () => {
    const box = await page.locator('#map_canvas').boundingBox();
    const [x, y] = [box.x + 80, box.y + 150];
    await page.mouse.move(x, y);
    await page.mouse.down({ button: 'right' });
    await page.mouse.move(x + 60, y + 80, { steps: 8 });
    const expected = await page.evaluate(() => map.distance(
      map.containerPointToLatLng([80, 150]), map.containerPointToLatLng([140, 230])));
    const drawn = await circle();
    assert.ok(drawn && Math.abs(drawn[2] - expected) <= 1, `circle while dragging: ${drawn}`);
    assert.deepEqual(await page.evaluate(() => told), [], 'nothing asked before the release');
    await page.mouse.up({ button: 'right' });
    const told = await page.evaluate(() => told);
    assert.equal(told.length, 1);
    const [, , metres] = asked(told[0]);
    assert.equal(metres, Math.round(expected));
    assert.ok(metres > 100 && metres < 200, `${metres} m for 100 px at zoom 16`);

    // A drag the window loses asks nothing and leaves the map draggable.
    await page.mouse.down({ button: 'right' });
    await page.mouse.move(x + 90, y + 90, { steps: 4 });
    await page.evaluate(() => window.dispatchEvent(new Event('blur')));
    await page.mouse.up({ button: 'right' });
    const centreBefore = (await state(page)).center;
    await page.mouse.move(x, y);
    await page.mouse.down();
    await page.mouse.move(x + 50, y, { steps: 5 });
    await page.mouse.up();
    assert.notDeepEqual((await state(page)).center, centreBefore);
    assert.equal((await page.evaluate(() => told)).length, 1, 'a left drag asks nothing');
  });
});

describe('the map without the tile server', () => {
  it('draws the land under the tiles, and the sea is not land', async () => {
    const { page } = await openPage(readyUrl);  // every tile refused
    await page.evaluate((points) => setTrack(points), drive());
    // The world pane's canvas at a position: inland Berlin under the track's start,
    // the North Sea west of Denmark.
    const pixel = (lat, lng) => page.evaluate(([y, x]) => {
      const renderer = Object.values(map._layers)
        .find((l) => l.options.pane === 'world' && l._renderer)._renderer;
      const at = map.latLngToLayerPoint([y, x]).subtract(renderer._bounds.min)
        .multiplyBy(L.Browser.retina ? 2 : 1).round();
      return [...renderer._ctx.getImageData(at.x, at.y, 1, 1).data];
    }, [lat, lng]);
    assert.deepEqual(await pixel(52.5205, 13.41), [0x3a, 0x45, 0x36, 255]);
    await page.evaluate(() => { map.setView([55.5, 5.5], 5, { animate: false }); });
    assert.equal((await pixel(55.5, 5.5))[3], 0, 'the sea is the map\'s background');
    const below = await page.evaluate(() =>
      Number(map.getPane('world').style.zIndex) < Number(getComputedStyle(map.getPane('tilePane')).zIndex));
    assert.ok(below, 'tiles cover the world');
    await page.close();
  });

  it('takes tiles from a chosen source at their z/x/y, a missing one is no offline note, and goes back to the server', async () => {
    const { page, requests } = await openPage(readyUrl);
    const source = 'mbtiles:/1/';
    const served = new Map();
    await page.route(`${source}**`, (route) => {
      const [z, x, y] = new URL(route.request().url()).pathname.split('/').slice(-3).map(Number);
      served.set(`${z}/${x}/${y}`, true);
      if (z === 2 && x === 2 && y === 1) {
        route.fulfill({ status: 404, body: '' });
        return;
      }
      route.fulfill({ status: 200, contentType: 'image/svg+xml',
        body: '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256"><rect width="256" height="256" fill="red"/></svg>' });
    });
    await page.evaluate((template) => {
      setTileSource(template + '{z}/{x}/{y}', 2);
      map.setView([20, 20], 2, { animate: false });
    }, source);
    await page.waitForFunction(() => document.querySelectorAll('.leaflet-tile-loaded').length >= 2);
    assert.ok(served.has('2/2/1'), 'the view holds tile 2/2/1');
    // Tile 2/2/1 covers 0..90 degrees east, 0..66.5 north: its corner lands there.
    const placed = await page.evaluate((url) => {
      const tile = [...document.querySelectorAll('.leaflet-tile')].find((t) => t.src === url);
      const box = tile.getBoundingClientRect();
      const corner = map.latLngToContainerPoint([66.51326, 0]);
      const origin = map.getContainer().getBoundingClientRect();
      return Math.hypot(box.left - origin.left - corner.x, box.top - origin.top - corner.y);
    }, `${source}2/2/1`);
    assert.ok(placed < 1, `tile 2/2/1 is ${placed} px off its place`);
    assert.equal(await noteShown(page, 'mapoffline'), null, 'a file may leave tiles out');
    // Beyond the source's deepest level its tiles are enlarged, not asked for.
    await page.evaluate(() => { map.setView([20, 20], 4, { animate: false }); });
    await page.waitForFunction(() => document.querySelectorAll('.leaflet-tile-loaded').length > 0);
    assert.ok([...served.keys()].every((key) => Number(key.split('/')[0]) <= 2));

    const before = requests.length;
    await page.evaluate(() => setTileSource('', 0));
    await eventually(() => requests.slice(before).some((url) => url.startsWith(tileHost)),
      'the server is asked again');
    await page.close();
  });
});
