#include "scrollbar_geometry.h"

#include "truncate.h"

double PixelsPerUnit(int track, int limit)
{
    return limit == 0 ? 0.0 : double(track) / double(limit);
}

int ThumbFromPosition(double pixelsPerUnit, int pos, int first)
{
    return TruncToInt(pixelsPerUnit * pos) + first;
}

int ClampThumb(int thumb, int arrowStart, int first)
{
    if (thumb + kThumbLength > arrowStart)
        thumb = arrowStart - (kThumbLength - 1);
    if (thumb < first)
        thumb = first;
    return thumb;
}

int UnitsFromThumb(int thumb, int first, double pixelsPerUnit, int pos)
{
    if (pixelsPerUnit == 0.0)
        return 0;
    return TruncToInt(double(thumb - first) / pixelsPerUnit) - pos;
}
