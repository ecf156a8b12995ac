#include "telemetry/layout_reader.h"

#include <array>

#include "telemetry/timed_track_layout.h"

namespace {

// Every camera layout: the name the tools print and the reader. The movie layouts come
// in detection order: the four of old first, then the newer families.
constexpr std::array kLayouts = {
    LayoutRow{Layout::None, "none", noLayout},
    LayoutRow{Layout::Sidecar, "sidecar", sidecarLayout},
    LayoutRow{Layout::ICat, "icat", icatLayout},
    LayoutRow{Layout::A7L, "a7l", a7lLayout},
    LayoutRow{Layout::NT96650, "nt96650", nt96650Layout},
    LayoutRow{Layout::GoPro, "gopro", goProLayout},
    LayoutRow{Layout::FreeGps, "freegps", freeGpsLayout},
    LayoutRow{Layout::NmeaBox, "nmeabox", nmeaBoxLayout},
};
// Neither of the first two is found inside a movie.
constexpr size_t kFirstMovieRow = 2;
static_assert(kLayouts[0].layout == Layout::None && kLayouts[1].layout == Layout::Sidecar);

const LayoutRow& layoutRow(Layout layout)
{
    for (const LayoutRow& row : kLayouts) {
        if (row.layout == layout) {
            return row;
        }
    }
    return kLayouts[0];
}

}  // namespace

std::span<const LayoutRow> layoutTable()
{
    return kLayouts;
}

std::span<const LayoutRow> movieLayouts()
{
    return layoutTable().subspan(kFirstMovieRow);
}

const char* layoutName(Layout layout)
{
    return layoutRow(layout).name;
}

const LayoutReader& readerFor(Layout layout)
{
    return layoutRow(layout).reader();
}
