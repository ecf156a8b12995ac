// The map page's script: the host calls SetLgtLat, newPolyLine, putMarkerToLine,
// renderPolyLine and fix by name; every other function is internal.

var map = null;
var marker = null;
var markersArray = [];
var latitude = null;
var longitude = null;
var inited = 0;
var polyLine = null;

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
  L.tileLayer('https://tile.openstreetmap.org/{z}/{x}/{y}.png', {
    maxZoom: 19,
    attribution: '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors'
  }).addTo(map);
  fix(0);
  inited = 1;
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
  if (marker) {
    marker.setLatLng(p);
  } else {
    marker = L.marker(p).addTo(map);
  }
  map.panTo(p);
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
