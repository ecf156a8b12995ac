#pragma once

// GStreamer starts new streaming threads for every recording it opens, and glibc gives new
// threads arenas of their own (up to eight per core) whose freed pages it keeps: a player
// that opens recordings for hours grew by 70 MB and more that way. Two arenas serve the
// few threads that are busy at once. Call first thing in main, before any thread starts.
void limitAllocatorArenas();
