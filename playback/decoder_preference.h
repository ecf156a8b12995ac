#pragma once

#include <span>
#include <string>

// H.264 decoders in order of preference: the machine's hardware decoders first,
// then FFmpeg's, then the others.
std::span<const char* const> preferredDecoders();

// Makes the first decoder of `candidates` that this machine has the one that
// playbin picks, by raising its rank above the stock ranks. Returns its name,
// or an empty string when none exists (playbin then chooses by itself).
std::string preferDecoder(std::span<const char* const> candidates);
