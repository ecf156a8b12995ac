#include "playback/media_engine.h"

VideoOutput::~VideoOutput() = default;

MediaEngine::~MediaEngine() = default;
