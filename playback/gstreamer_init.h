#pragma once

#include <QString>

// Starts GStreamer for this process (again is harmless) and makes the preferred H.264
// decoder the one playbin picks. False when GStreamer cannot start; `reason` then says why.
bool initGStreamer(QString* reason = nullptr);
