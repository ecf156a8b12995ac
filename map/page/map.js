// The map page's script: the host calls SetLgtLat, newPolyLine, putMarkerToLine,
// renderPolyLine, setTrack, setTrip, clearMap, setTileSource, fix and tripShown by name;
// every other function is internal. The page asks the host one thing, "passed here"
// (askPassedHere), as a navigation to ASK_PASSED_HERE that the host refuses and reads.

var map = null;
var marker = null;
var markersArray = [];
var latitude = null;
var longitude = null;
var inited = 0;
var polyLine = null;
// The trip drawn by setTrip: its parts as map positions, the playing part, how far
// along it the marker is, and the layers that draw it.
var trip = null;
var offlineNote = null;
var noPositionNote = null;
var tilesShown = false;  // a tile loaded since the last failure
var tiles = null;

// The place asked about: a right-click asks within ASK_RADIUS metres, a drag with the
// right button from the place asks within the circle drawn.
var asking = null;
var askedCircle = null;
var ASK_PASSED_HERE = 'dashcam-ask:passed-here';
var ASK_RADIUS = 50;
var ASK_MAX_RADIUS = 100000;
var ASK_DRAG_PIXELS = 5;  // a right-click that moved less is no drag
var ASK_COLOUR = '#4fc3f7';

var ONLINE_TILES = 'https://tile.openstreetmap.org/{z}/{x}/{y}.png';

// A light line over a dark outline shows on tiles and on black alike.
var TRACK_OUTLINE = '#1b1b1b';
var TRACK_DRIVEN = '#ffb000';
var TRACK_AHEAD = '#f2f2f2';
var FIT_MARGIN = 24;   // pixels between the trip and the edge of the map
var FIT_MAX_ZOOM = 17; // a parked car does not zoom to single houses
// The world under the tiles, dark so that the track shows as it does on black.
var WORLD_LAND_COLOUR = '#3a4536';
var WORLD_BORDER_COLOUR = '#707a68';

// Script errors are never shown to the user.
window.onerror = function () {
  return true;
};

window.addEventListener('load', function () {
  initialize();
});
window.addEventListener('resize', function () {
  fix(0);
});

function initialize() {
  if (typeof L === 'undefined') {
    return;  // the map library did not load: the page stays black
  }
  map = L.map('map_canvas', { center: [55.750300, 37.616500], zoom: 10 });
  offlineNote = createNote('mapoffline', 'Map offline');
  noPositionNote = createNote('mapnoposition', 'No position in this recording');
  drawWorld();
  tiles = createTiles('', 0);
  new FitControl().addTo(map);
  listenForAsks();
  fix(0);
  inited = 1;
}

// The land and the borders from the page's own data, in a pane under the tiles: with
// no tiles at all the track still shows where on earth it is.
function drawWorld() {
  if (typeof WORLD_LAND === 'undefined' || typeof WORLD_BORDERS === 'undefined') {
    return;
  }
  map.createPane('world').style.zIndex = 150;  // Leaflet's tiles are at 200
  var renderer = L.canvas({ pane: 'world' });
  var options = { pane: 'world', renderer: renderer, interactive: false };
  L.geoJSON(WORLD_LAND, L.extend({
    style: { stroke: false, fillColor: WORLD_LAND_COLOUR, fillOpacity: 1 }
  }, options)).addTo(map);
  L.geoJSON(WORLD_BORDERS, L.extend({
    style: { color: WORLD_BORDER_COLOUR, weight: 1, opacity: 1, fill: false }
  }, options)).addTo(map);
}

// The tile layer from a URL template with {z}/{x}/{y}; an empty template is the tile
// server. A file of tiles holds zoom levels up to nativeZoom (0: any); Leaflet
// enlarges its last level beyond that. A file may leave tiles out, so only the
// server's failures say the map is offline.
function createTiles(template, nativeZoom) {
  var online = !template;
  // The tile server's policy: nothing fetched beyond what the view shows.
  var options = { maxZoom: 19, keepBuffer: 1 };
  if (online) {
    options.attribution =
        '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors';
  }
  if (nativeZoom > 0) {
    options.maxNativeZoom = Math.min(nativeZoom, options.maxZoom);
  }
  var layer = L.tileLayer(online ? ONLINE_TILES : template, options).addTo(map);
  layer.on('tileerror', function () {
    tilesShown = false;
    showNote(offlineNote, online);
  });
  layer.on('tileload', function () { tilesShown = true; showNote(offlineNote, false); });
  return layer;
}

// Where tiles come from: a URL template with {z}, {x} and {y}, or '' for the tile
// server; nativeZoom is the deepest level the source holds (0: unknown).
function setTileSource(template, nativeZoom) {
  if (!inited) {
    return;
  }
  map.removeLayer(tiles);
  tilesShown = false;
  showNote(offlineNote, false);
  tiles = createTiles(String(template || ''), Number(nativeZoom) || 0);
}

function fix(newHeight) {
  var body = document.body;
  var canvas = document.getElementById('map_canvas');
  var height = newHeight;
  if (newHeight > 0) {
    body.style.height = newHeight + 'px';
  } else {
    height = body.clientHeight;
    var explicitHeight = parseInt(canvas.style.height, 10);
    if (explicitHeight < height) {
      height = explicitHeight;
    }
  }
  canvas.style.height = height + 'px';
  document.getElementById('gpsinfo').style.top = (window.pageYOffset + height - 16) + 'px';
  if (map) {
    map.invalidateSize();
  }
}

// A coordinate text as a number; a text that is not a number gives NaN
// (an empty text too, which Number() would read as 0).
function coordinate(text) {
  var trimmed = String(text).trim();
  return trimmed === '' ? NaN : Number(trimmed);
}

// The map position of two coordinate texts, or null when either is not a number.
function position(lat, lng) {
  var y = coordinate(lat);
  var x = coordinate(lng);
  return isFinite(y) && isFinite(x) ? L.latLng(y, x) : null;
}

function PlaceMarker(lat, lng) {
  if (!inited) {
    return;
  }
  var p = position(lat, lng);
  if (!p) {
    return;
  }
  putMarker(p);
  if (trip) {
    showProgress(indexOnTrack(playingPoints(), p, trip.at));
  }
  // A fitted trip stays in view while the marker is well inside it.
  if (!trip || !map.getBounds().pad(-0.1).contains(p)) {
    map.panTo(p);
  }
}

function putMarker(p) {
  if (marker) {
    marker.setLatLng(p);
  } else {
    marker = L.marker(p).addTo(map);
  }
}

function removeMarker() {
  if (marker) {
    map.removeLayer(marker);
  }
  marker = null;
  latitude = null;
  longitude = null;
}

function ShowGpsInfo(show) {
  document.getElementById('gpsinfo').style.display = show == 0 ? 'none' : 'block';
}

function SetLgtLat(lat, lng, spd) {
  if (!inited) {
    return;
  }
  if (lat === '') {
    ShowGpsInfo(0);
    return;
  }
  document.getElementById('gpsinfo').textContent =
      ' Lgt:' + lng + '   Lat:' + lat + '   ' + spd + 'Km/H';
  if (lng !== longitude || lat !== latitude) {
    longitude = lng;
    latitude = lat;
    PlaceMarker(lat, lng);
  }
}

function clearPolyLine() {
  if (!inited) {
    return;
  }
  if (polyLine) {
    map.removeLayer(polyLine);
  }
  markersArray = [];
}

function newPolyLine() {
  if (inited) {
    clearPolyLine();
    clearTrip();
  }
}

function putMarkerToLine(lat, lng) {
  if (!inited) {
    return;
  }
  var p = position(lat, lng);
  if (p) {
    markersArray.push(p);
  }
}

function renderPolyLine() {
  if (!inited) {
    return;
  }
  // Drawing again replaces the line, so that newPolyLine can always remove the track.
  if (polyLine) {
    map.removeLayer(polyLine);
  }
  polyLine = L.polyline(markersArray, { color: '#0000FF', opacity: 0.5, weight: 4 }).addTo(map);
}

// The whole track of one recording in one call: points is an array of
// [latitude, longitude] pairs (numbers or texts). Drawn as a trip of one part.
function setTrack(points) {
  setTrip([points], 0);
}

// A trip: parts is an array of tracks (arrays of [latitude, longitude] pairs), one
// per recording in order; playing is the index of the playing recording's part.
// Replaces any track and the marker, fits the view to the whole trip and shows a
// note when the playing part has no position.
function setTrip(parts, playing) {
  if (!inited) {
    return;
  }
  clearPolyLine();
  clearTrip();
  removeMarker();
  var list = Array.isArray(parts) ? parts.map(trackPoints) : [];
  trip = { parts: list, playing: Number(playing), at: 0, layers: L.layerGroup().addTo(map) };
  drawTrip();
  var current = playingPoints();
  showNote(noPositionNote, current.length === 0);
  fitTrip();
  if (current.length > 0) {
    putMarker(current[0]);
  }
}

// Nothing plays: no track, no trip, no marker and no note.
function clearMap() {
  if (!inited) {
    return;
  }
  clearPolyLine();
  clearTrip();
  removeMarker();
}

// Whether the map shows the trip on its tiles: the host then takes its picture.
function tripShown() {
  return !!(inited && trip && tilesShown && trip.parts.some(function (part) {
    return part.length > 0;
  }));
}

function clearTrip() {
  if (trip) {
    map.removeLayer(trip.layers);
    trip = null;
  }
  showNote(noPositionNote, false);
}

// The positions of one part, consecutive equal positions merged; pairs that are
// not two numbers are left out.
function trackPoints(pairs) {
  var points = [];
  var last = null;
  var list = Array.isArray(pairs) ? pairs : [];
  for (var i = 0; i < list.length; i++) {
    var p = Array.isArray(list[i]) ? position(list[i][0], list[i][1]) : null;
    if (p && !(last && last.lat === p.lat && last.lng === p.lng)) {
      points.push(p);
      last = p;
    }
  }
  return points;
}

function playingPoints() {
  return (trip && trip.parts[trip.playing]) || [];
}

function trackLine(lines, color, weight, className) {
  return L.polyline(lines, {
    color: color, opacity: 1, weight: weight, className: className,
    interactive: false, lineCap: 'round', lineJoin: 'round'
  }).addTo(trip.layers);
}

// Outlines first, lines over them; the playing part is wider than the others.
// Parts before the playing one are driven, parts after it are not.
function drawTrip() {
  var before = trip.parts.slice(0, Math.max(trip.playing, 0));
  var after = trip.parts.slice(Math.max(trip.playing + 1, 0));
  trackLine(before.concat(after), TRACK_OUTLINE, 8, 'track-outline');
  trackLine([playingPoints()], TRACK_OUTLINE, 11, 'track-outline track-playing');
  trackLine(before, TRACK_DRIVEN, 4, 'track-driven');
  trackLine(after, TRACK_AHEAD, 4, 'track-ahead');
  trip.driven = trackLine([], TRACK_DRIVEN, 6, 'track-driven track-playing');
  trip.ahead = trackLine([], TRACK_AHEAD, 6, 'track-ahead track-playing');
  showProgress(0);
}

// The playing part is driven up to point `at` and ahead from there.
function showProgress(at) {
  var points = playingPoints();
  trip.at = at;
  trip.driven.setLatLngs(points.slice(0, at + 1));
  trip.ahead.setLatLngs(points.slice(at));
}

// The index of position p on the track: the next equal point from `from` on, else
// the nearest point (after a seek back, or a position the track does not hold).
function indexOnTrack(points, p, from) {
  for (var i = from; i < points.length; i++) {
    if (points[i].lat === p.lat && points[i].lng === p.lng) {
      return i;
    }
  }
  var best = 0;
  var bestDistance = Infinity;
  for (i = 0; i < points.length; i++) {
    var dy = points[i].lat - p.lat;
    var dx = points[i].lng - p.lng;
    if (dy * dy + dx * dx < bestDistance) {
      bestDistance = dy * dy + dx * dx;
      best = i;
    }
  }
  return best;
}

function tripBounds() {
  var bounds = L.latLngBounds([]);
  trip.parts.forEach(function (points) {
    for (var i = 0; i < points.length; i++) {
      bounds.extend(points[i]);
    }
  });
  return bounds;
}

function fitTrip() {
  if (!inited || !trip) {
    return;
  }
  var bounds = tripBounds();
  if (bounds.isValid()) {
    map.fitBounds(bounds, { padding: [FIT_MARGIN, FIT_MARGIN], maxZoom: FIT_MAX_ZOOM, animate: false });
  }
}

// A button under the zoom buttons that fits the trip again.
var FitControl = typeof L === 'undefined' ? null : L.Control.extend({
  options: { position: 'topleft' },
  onAdd: function () {
    var bar = L.DomUtil.create('div', 'leaflet-bar map-fit');
    var button = L.DomUtil.create('a', '', bar);
    button.href = '#';
    button.title = 'Show the whole trip';
    button.setAttribute('role', 'button');
    button.setAttribute('aria-label', button.title);
    L.DomUtil.create('span', 'map-fit-icon', button);
    L.DomEvent.disableClickPropagation(bar);
    L.DomEvent.on(button, 'click', function (event) {
      L.DomEvent.preventDefault(event);
      fitTrip();
    });
    return bar;
  }
});

// A short text over the map, hidden until shown.
function createNote(id, text) {
  var note = L.DomUtil.create('div', 'map-note', map.getContainer());
  note.id = id;
  note.textContent = text;
  return note;
}

function showNote(note, show) {
  if (note) {
    note.style.display = show ? 'block' : 'none';
  }
}

// The right button asks: pressed and released in place within ASK_RADIUS, dragged within
// the circle drawn. The browser's own menu never shows over the map, and the map does not
// pan under the drag (Leaflet drags with any button of a pointer).
function listenForAsks() {
  var container = map.getContainer();
  container.addEventListener('contextmenu', function (event) {
    event.preventDefault();
  });
  // Captured, so the map's own drag never sees the press.
  container.addEventListener('pointerdown', function (event) {
    if (event.button !== 2) {
      return;
    }
    map.dragging.disable();
    asking = { centre: map.mouseEventToLatLng(event), from: map.mouseEventToContainerPoint(event),
               dragged: false };
  }, true);
  document.addEventListener('pointermove', function (event) {
    if (!asking) {
      return;
    }
    var at = map.mouseEventToContainerPoint(event);
    asking.dragged = asking.dragged || at.distanceTo(asking.from) >= ASK_DRAG_PIXELS;
    if (asking.dragged) {
      showAskedCircle(asking.centre, askRadius(asking.centre, map.mouseEventToLatLng(event)));
    }
  });
  document.addEventListener('pointerup', function (event) {
    if (!asking || event.button !== 2) {
      return;
    }
    var centre = asking.centre;
    var metres = asking.dragged ? askRadius(centre, map.mouseEventToLatLng(event)) : ASK_RADIUS;
    stopAsking();
    askPassedHere(centre.lat, centre.lng, metres);
  });
  // A drag whose release never comes (the window lost the pointer) asks nothing.
  document.addEventListener('pointercancel', stopAsking);
  window.addEventListener('blur', stopAsking);
}

function stopAsking() {
  if (asking) {
    asking = null;
    map.dragging.enable();
  }
}

// Whole metres from the centre to the pointer, at least one, at most ASK_MAX_RADIUS.
function askRadius(centre, at) {
  return Math.min(Math.max(Math.round(map.distance(centre, at)), 1), ASK_MAX_RADIUS);
}

function showAskedCircle(centre, metres) {
  if (askedCircle) {
    askedCircle.setLatLng(centre).setRadius(metres);
  } else {
    askedCircle = L.circle(centre, {
      radius: metres, color: ASK_COLOUR, weight: 2, fillOpacity: 0.15, interactive: false,
      className: 'asked-place'
    }).addTo(map);
  }
}

// Which recordings passed within metres of the place: the circle stays to show what was
// asked, and the host hears it.
function askPassedHere(lat, lng, metres) {
  var centre = L.latLng(lat, lng).wrap();
  showAskedCircle(centre, metres);
  tellHost(ASK_PASSED_HERE + '?lat=' + centre.lat.toFixed(7) + '&lon=' + centre.lng.toFixed(7) +
           '&metres=' + metres);
}

function tellHost(url) {
  window.location.href = url;
}
