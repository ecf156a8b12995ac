#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include "skin/skin_dial.h"
#include "telemetry/speed_unit.h"

// The needle and the compass arrow the window draws over the skin's faces.
namespace gauges {

// What is painted again when the arrow turns.
inline constexpr QRect kCompassRepair{skin::kCompassOrigin, QSize(160, 160)};

// The dial under the needle. The skin carries a km/h face; a face for another unit is a
// picture drawn over it, and the needle must follow that picture's marks, so a face's
// picture and its needle mapping are chosen together, in dialFor.
struct DialFace
{
    QString picture;  // the skin's picture drawn at origin; empty: the skin's own km/h face
    QPoint origin;
    SpeedUnit marks = SpeedUnit::Kmh;  // the unit the face's marks read
    double degreesPerUnit = 1.0;       // needle turn per mark unit, from 0 at 140 degrees
};
// The face for the chosen unit. The only place that ties a unit to a picture.
DialFace dialFor(SpeedUnit unit);

// Speeds outside the km/h face's marks show as 0.
int clampSpeed(int speed);
// End point of the needle for a (clamped) km/h speed on the face.
QPoint needleEnd(int speed, const DialFace& face = {});
// The arrow turned by the heading into a square of side max(w, h); uncovered pixels and
// the arrow's own magenta pixels are transparent. At heading 0 the arrow is mirrored.
QImage rotateArrow(const QImage& arrow, double heading);

}  // namespace gauges
