#pragma once

#include <cstdint>

// Results of the engine's operations keep the old media layer's convention:
// 0 is success, a negative value is a failure and says which.
using PlaybackStatus = std::int32_t;

namespace playback_status {
inline constexpr PlaybackStatus ok = 0;
inline constexpr PlaybackStatus noInterface = static_cast<PlaybackStatus>(0x80004002u);
inline constexpr PlaybackStatus nullPointer = static_cast<PlaybackStatus>(0x80004003u);
inline constexpr PlaybackStatus failed = static_cast<PlaybackStatus>(0x80004005u);
inline constexpr PlaybackStatus invalidArgument = static_cast<PlaybackStatus>(0x80070057u);
inline constexpr PlaybackStatus fileNotFound = static_cast<PlaybackStatus>(0x80070002u);
inline constexpr PlaybackStatus unsupportedStream = static_cast<PlaybackStatus>(0x8004022Fu);
inline constexpr PlaybackStatus noDecoder = static_cast<PlaybackStatus>(0x80040255u);
inline constexpr PlaybackStatus timedOut = static_cast<PlaybackStatus>(0x8004022Eu);
}  // namespace playback_status
