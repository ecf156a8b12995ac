#include "playback/decoder_preference.h"

#include <gst/gst.h>

#include <array>

namespace {

constexpr std::array kDecoders{
    "vah264dec", "vaapih264dec", "nvh264dec", "v4l2h264dec", "avdec_h264", "openh264dec",
};

// Above every rank a stock plugin gives itself.
constexpr guint kPreferredRank = GST_RANK_PRIMARY + 256;

}  // namespace

std::span<const char* const> preferredDecoders()
{
    return kDecoders;
}

std::string preferDecoder(std::span<const char* const> candidates)
{
    GstRegistry* registry = gst_registry_get();
    for (const char* name : candidates) {
        GstPluginFeature* feature = gst_registry_lookup_feature(registry, name);
        if (feature == nullptr) {
            continue;
        }
        gst_plugin_feature_set_rank(feature, kPreferredRank);
        gst_object_unref(feature);
        return name;
    }
    return {};
}
