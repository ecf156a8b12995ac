#pragma once

// The telemetry layouts a recording can carry. Their names, readers and detection order are
// one table (layout_table.cpp).
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

// The layout's name in the tools' output: "none", "sidecar", "icat", "gopro" and so on.
const char* layoutName(Layout layout);
