#include "controls/scrollbar_geometry.h"

#include "controls/truncate.h"

double pixelsPerUnit(int track, int limit)
{
    return limit == 0 ? 0.0 : double(track) / double(limit);
}

int thumbFromPosition(double pixelsPerUnit, int pos, int first)
{
    return truncToInt(pixelsPerUnit * pos) + first;
}

int clampThumb(int thumb, int arrowStart, int first)
{
    if (thumb + kThumbLength > arrowStart) {
        thumb = arrowStart - (kThumbLength - 1);
    }
    if (thumb < first) {
        thumb = first;
    }
    return thumb;
}

int unitsFromThumb(int thumb, int first, double pixelsPerUnit, int pos)
{
    if (pixelsPerUnit == 0.0) {
        return 0;
    }
    return truncToInt(double(thumb - first) / pixelsPerUnit) - pos;
}
