#pragma once

#include <QSet>
#include <QString>

// What left and what came between two readings of a source's volumes, as the source's
// removed and mounted signals; the new reading becomes the source's own.
template <typename Source>
void announceVolumeChanges(Source* source, QSet<QString>& volumes, const QSet<QString>& now)
{
    for (const QString& path : volumes - now) {
        emit source->removed(path);
    }
    for (const QString& path : now - volumes) {
        emit source->mounted(path);
    }
    volumes = now;
}
