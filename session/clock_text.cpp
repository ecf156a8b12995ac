#include "session/clock_text.h"

#include <algorithm>

#include "telemetry/track_export.h"

QString clockText(double seconds)
{
    const int whole = std::max(0, static_cast<int>(seconds));
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
                                       .arg(whole % 60, 2, 10, QLatin1Char('0'));
    return whole < 3600 ? minutesSeconds
                        : QStringLiteral("%1:%2").arg(whole / 3600).arg(minutesSeconds);
}

QString utcClockText(std::int64_t utcMs)
{
    // "2024-06-11T08:15:00Z" -> "08:15:00"
    return QString::fromStdString(isoUtcTime(utcMs)).mid(11, 8);
}
