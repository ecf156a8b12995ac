#pragma once

// The telemetry layouts a recording can carry. The movie layouts are tried in this order
// (a sidecar beside the movie is looked for before any of them).
enum class Layout {
    None,
    Sidecar,
    ICat,
    A7L,
    NT96650,
    GoPro,
    FreeGps,
    NmeaBox,
};

// "none", "sidecar", "icat", "a7l", "nt96650", "gopro", "freegps" or "nmeabox".
const char* layoutName(Layout layout);
