#pragma once

#include <string>

// The extension of a path's file name, upper-cased, with its dot: "/a/clip.mov" -> ".MOV".
// A name without a dot has none, and neither has a hidden file whose only dot is its first
// character: "/a/.MOV" -> "". Dots in folder names do not count: "/x.d/clip" -> "".
std::string upperExtension(const std::string& path);

// True for a recording's extension, ".MOV", ".MP4" or ".TS", in any letter case.
bool isRecordingExtension(const std::string& extension);
