#pragma once

#include <string>
#include <string_view>

// A value for a GStreamer pipeline description (gst_parse_launch): in double quotes, with
// quotes and backslashes escaped, so that a path with spaces, '!' or quotes stays one value.
std::string pipelineQuoted(std::string_view text);
