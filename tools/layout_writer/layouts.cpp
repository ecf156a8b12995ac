#include "tools/layout_writer/layout_writer.h"

#include <algorithm>

namespace layout_writer {

namespace {

constexpr uint32_t kNtRound = 0x8000;           // first-track block alignment
constexpr uint32_t kNtChunkDistance = 0x10000;  // second track: block = chunk offset + this
constexpr uint32_t kGroup = 30;                 // video samples per telemetry block

std::string moovAtom(uint32_t creationTime, std::string_view children)
{
    return Atom("moov", mvhdAtom(creationTime) + std::string(children));
}

}  // namespace

// ---- Sidecar -------------------------------------------------------------------------

std::string sidecar(const std::vector<Sample>& samples, const SidecarOptions& options)
{
    const int shift = keyDigitSum(options.keyLine);
    std::string text = options.keyLine + options.lineEnd;
    for (const Sample& sample : samples) {
        text += scramble(logLineText(sample), shift) + options.lineEnd;
    }
    return text;
}

// ---- ICAT ----------------------------------------------------------------------------

int icatShift(const std::array<uint8_t, 8>& keyBytes)
{
    return keyByteSum(keyBytes.data()) % 256;
}

std::string icatRecord(const Sample& sample, int shift)
{
    std::string record;
    for (int axis : {sample.x, sample.y, sample.z}) {
        record += LE16(static_cast<uint16_t>(axis + shift));
    }
    std::string text = sample.sentence.substr(0, 126);
    text.resize(126, '\0');
    return record + scramble(text, shift);
}

std::string icatTelemetryAtom(const std::vector<Sample>& samples, const IcatOptions& options)
{
    std::string content = options.marker.substr(0, 7);
    content.resize(7, '\0');
    content.append(options.keyBytes.begin(), options.keyBytes.end());
    content += '\0';
    const int shift = icatShift(options.keyBytes);
    for (const Sample& sample : samples) {
        content += icatRecord(sample, shift);
    }
    const auto realSize = static_cast<uint32_t>(content.size() + 8);
    return atomWithSize(options.telemetrySizeField.value_or(realSize), "gps ", content);
}

std::string icatMovie(const std::vector<Sample>& samples, const IcatOptions& options)
{
    std::string file;
    if (options.leadingAtoms.empty()) {
        file =
            ftypAtom() + Atom("mdat", std::string(64, '\0')) + moovAtom(options.creationTime, "");
    }
    for (const std::string& atom : options.leadingAtoms) {
        file += atom;
    }
    if (options.freeAtom) {
        file += Atom("free", std::string(16, '\0'));
    }
    file += icatTelemetryAtom(samples, options);
    return file + options.chip;
}

// ---- AMBARELLA A7L -------------------------------------------------------------------

std::string a7lSampleText(const Sample& sample, int shift, std::string_view lineEnd)
{
    return " " + scramble(logLineText(sample), shift) + std::string(lineEnd);
}

std::string a7lKeyText(std::string_view keyDigits)
{
    std::string digits(keyDigits.substr(0, 8));
    digits.resize(8, '0');
    return " " + digits + "\r\n";
}

static std::string a7lTracks(int trackCount, const std::vector<uint32_t>& offsets)
{
    std::string traks;
    for (int t = 1; t <= trackCount; ++t) {
        traks += trakAtom(stcoAtom(t == 3 ? offsets : std::vector<uint32_t>{}));
    }
    return traks;
}

std::string a7lMovieFromChunks(const std::vector<std::string>& chunkTexts,
                               const A7lOptions& options)
{
    std::vector<uint32_t> offsets(chunkTexts.size(), 0);
    const std::string ftyp = ftypAtom();
    // The movie atom's size does not depend on the offsets' values: measure, then fill.
    const std::string udta = udtaAtom(options.chip);
    const size_t moovSize = moovAtom(0, udta + a7lTracks(options.trackCount, offsets)).size();
    std::string mdat;
    const size_t mdatContent = ftyp.size() + moovSize + 8;
    for (size_t j = 0; j < chunkTexts.size(); ++j) {
        offsets[j] = static_cast<uint32_t>(mdatContent + mdat.size());
        mdat += be16(static_cast<uint16_t>(chunkTexts[j].size())) + chunkTexts[j];
    }
    return ftyp + moovAtom(options.creationTime, udta + a7lTracks(options.trackCount, offsets)) +
           Atom("mdat", mdat);
}

std::string a7lMovie(const std::vector<Sample>& samples, const A7lOptions& options)
{
    const int shift = keyDigitSum(options.keyDigits);
    std::vector<std::string> texts;
    for (const Sample& sample : samples) {
        if (options.keyIndex && texts.size() == *options.keyIndex) {
            texts.push_back(a7lKeyText(options.keyDigits));
        }
        texts.push_back(a7lSampleText(sample, shift, options.lineEnd));
    }
    if (options.keyIndex && texts.size() == *options.keyIndex) {
        texts.push_back(a7lKeyText(options.keyDigits));
    }
    return a7lMovieFromChunks(texts, options);
}

// ---- NT96650A ------------------------------------------------------------------------

std::string nt96650Block(const Sample& sample, std::string_view keyDigits, bool crlf)
{
    const int shift = keyDigitSum(keyDigits);
    std::string block(76, '\0');
    block += LE32(static_cast<uint32_t>(sample.x));
    block += LE32(static_cast<uint32_t>(sample.y));
    block += LE32(static_cast<uint32_t>(sample.z));
    // Scrambled area of 128 bytes: one spare byte, the sentence, a plain CR LF.
    std::string area = scramble(std::string(1, '\0'), shift);
    area += scramble(sample.sentence.substr(0, crlf ? 125 : 127), shift);
    if (crlf) {
        area += "\r\n";
    }
    area.resize(128, '\0');
    block += area;
    std::string key(keyDigits.substr(0, 8));
    key.resize(8, '0');
    block += key;
    block.append(8, '\0');
    return block;
}

static std::string ntKeyFor(const Nt96650Options& options, size_t index)
{
    if (options.keyDigits.empty()) {
        return "00000000";
    }
    return options.keyDigits[index % options.keyDigits.size()];
}

static std::string ntMoov(const Nt96650Options& options, const std::string& traks)
{
    const std::string udta = udtaAtom(options.chip);
    return moovAtom(options.creationTime, options.udtaFirst ? udta + traks : traks + udta);
}

SparseFile nt96650FirstTrackMovie(const std::vector<Sample>& samples, const Nt96650Options& options)
{
    const uint32_t count =
        options.videoSampleCount.value_or(static_cast<uint32_t>(samples.size()) * kGroup);
    const uint32_t groups = count / kGroup;
    const uint32_t size = options.videoSampleSize;
    auto blockPosition = [&](uint32_t k) {  // k = 1 .. groups
        return uint64_t{kNtRound} * (options.firstBlockSlot + k - 1);
    };

    // Video samples: the last of group k ends slack bytes before block k; the others lie
    // before it. Samples of an incomplete last group follow the last block.
    std::vector<uint32_t> offsets(count, 0);
    uint64_t end = 32;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t k = i / kGroup + 1;
        int64_t offset;
        if (k <= groups) {
            const int64_t last = static_cast<int64_t>(blockPosition(k)) - options.slack - size;
            offset = last - int64_t{size} * (int64_t{k} * kGroup - 1 - i);
        } else {
            offset = static_cast<int64_t>(blockPosition(groups) + kNtBlockSpan) +
                     int64_t{size} * (i - groups * kGroup);
        }
        offsets[i] = static_cast<uint32_t>(std::max<int64_t>(offset, 0));
        end = std::max<uint64_t>(end, offsets[i] + uint64_t{size});
    }
    if (groups > 0) {
        end = std::max(end, blockPosition(groups) + kNtBlockSpan);
    }

    std::vector<uint32_t> chunks(options.chunkCount.value_or(count), 0);
    std::copy_n(offsets.begin(), std::min<size_t>(chunks.size(), offsets.size()), chunks.begin());
    const std::string stsz =
        options.uniformSize
            ? stszAtom(size, {}, options.stszCountField.value_or(count))
            : stszAtom(0, std::vector<uint32_t>(count, size), options.stszCountField);
    const std::string trak = trakAtom(stsz + stcoAtom(chunks, options.stcoCountField));

    SparseFile file;
    const std::string ftyp = ftypAtom();
    file.put(0, ftyp + BE32(static_cast<uint32_t>(end - ftyp.size())) + "mdat");
    for (uint32_t k = 1; k <= groups && k <= samples.size(); ++k) {
        file.put(blockPosition(k) + 48,
                 nt96650Block(samples[k - 1], ntKeyFor(options, k - 1), options.crlf));
    }
    file.put(end, ntMoov(options, trak));
    return file;
}

std::string nt96650SecondTrackMovie(const std::vector<Sample>& samples,
                                    const Nt96650Options& options)
{
    std::vector<uint32_t> offsets(samples.size(), 0);
    const std::string videoTrak = trakAtom(stszAtom(0, {}) + stcoAtom({}));
    const std::string ftyp = ftypAtom();
    const size_t mdatContent =
        ftyp.size() + ntMoov(options, videoTrak + trakAtom(stcoAtom(offsets))).size() + 8;
    for (size_t j = 0; j < samples.size(); ++j) {
        offsets[j] = static_cast<uint32_t>(mdatContent + j * kNtBlockSpan);
    }

    std::string mdat(kNtChunkDistance + samples.size() * kNtBlockSpan, '\0');
    for (size_t j = 0; j < samples.size(); ++j) {
        mdat.replace(kNtChunkDistance + j * kNtBlockSpan + 48, kNtBlockRead,
                     nt96650Block(samples[j], ntKeyFor(options, j), options.crlf));
    }
    return ftyp + ntMoov(options, videoTrak + trakAtom(stcoAtom(offsets))) + Atom("mdat", mdat);
}

// ---- Movie-time shapes ---------------------------------------------------------------

std::string movieFirstShape(uint32_t creationTime, std::string_view mdatPayload)
{
    return ftypAtom() + Atom("mdat", mdatPayload) + moovAtom(creationTime, "");
}

std::string movieSecondShape(uint32_t creationTime)
{
    return Atom("ftyp", std::string("qt  ") + BE32(0x200) + "qt  qt  ") +
           moovAtom(creationTime, "");
}

}  // namespace layout_writer
