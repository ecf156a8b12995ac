#include "playback/allocator_arenas.h"

#include <malloc.h>

namespace {

// Below a frame of any camera's recording (640x480 in I420 is 450 KiB), above what Qt,
// GStreamer's events and the telemetry tables allocate one at a time.
constexpr int kMapThresholdBytes = 256 * 1024;

}  // namespace

void tuneAllocator()
{
    mallopt(M_ARENA_MAX, 2);
    // A fixed threshold also fixes the trim threshold at its default: free memory at the
    // top of an arena goes back at once.
    mallopt(M_MMAP_THRESHOLD, kMapThresholdBytes);
}

void releaseFreedMemory()
{
    malloc_trim(0);
}
