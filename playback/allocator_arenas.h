#pragma once

// GStreamer starts new streaming threads for every recording it opens, and glibc gives new
// threads arenas of their own (up to eight per core) whose freed pages it keeps: a player
// that opens recordings for hours grew by 70 MB and more that way. Two arenas serve the
// few threads that are busy at once. Video frames (a megabyte and more each) are mapped
// and unmapped on their own rather than carved out of the arenas: glibc's moving threshold
// would otherwise put them there after the first one freed, and every recording's frames
// would leave holes that keep their pages. Call first thing in main, before any thread
// starts.
void tuneAllocator();

// Hands the pages of freed memory back to the system, from every arena and not only at
// their tops. It walks every arena's free lists: for a moment that can wait, such as
// after a recording's pipeline is gone.
void releaseFreedMemory();
