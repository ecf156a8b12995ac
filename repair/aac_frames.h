#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// Raw AAC frames carry no length of their own: where one ends is known only by parsing it.
// The AAC decoder does that parse here: a frame's length is the fewest bytes from its start
// that decode as one whole frame (any fewer leave it without its end element).
class AacFrameSplitter
{
public:
    // audioConfig: the AudioSpecificConfig of the track's decoder configuration.
    explicit AacFrameSplitter(const std::vector<unsigned char>& audioConfig);
    ~AacFrameSplitter();
    AacFrameSplitter(const AacFrameSplitter&) = delete;
    AacFrameSplitter& operator=(const AacFrameSplitter&) = delete;

    bool isReady() const { return m_decoder != nullptr; }

    // The size of the whole frame at the start of the bytes, or nothing when none starts
    // there. A frame is looked for in the first `likely` bytes first.
    std::optional<uint32_t> frameLength(const unsigned char* bytes, size_t count, size_t likely);

private:
    bool decodesOneFrame(const unsigned char* bytes, size_t count);

    struct Decoder;
    std::unique_ptr<Decoder> m_decoder;
};

// The AudioSpecificConfig in the contents of an esds atom (after its version and flags);
// empty when the descriptors do not hold one.
std::vector<unsigned char> audioSpecificConfig(const unsigned char* esds, size_t count);
