#include "layout_writer.h"

#include <algorithm>

namespace layout_writer {

namespace {

constexpr uint32_t kNtRound = 0x8000;        // first-track block alignment
constexpr uint32_t kNtChunkDistance = 0x10000;  // second track: block = chunk offset + this
constexpr uint32_t kGroup = 30;              // video samples per telemetry block

std::string Moov(uint32_t creationTime, std::string_view children)
{
    return Atom("moov", Mvhd(creationTime) + std::string(children));
}

}  // namespace

// ---- Sidecar -------------------------------------------------------------------------

std::string Sidecar(const std::vector<Sample>& samples, const SidecarOptions& options)
{
    const int shift = KeyDigitSum(options.keyLine);
    std::string text = options.keyLine + options.lineEnd;
    for (const Sample& sample : samples)
        text += Scramble(LogLineText(sample), shift) + options.lineEnd;
    return text;
}

// ---- ICAT ----------------------------------------------------------------------------

int IcatShift(const std::array<uint8_t, 8>& keyBytes)
{
    return KeyByteSum(keyBytes.data()) % 256;
}

std::string IcatRecord(const Sample& sample, int shift)
{
    std::string record;
    for (int axis : {sample.x, sample.y, sample.z})
        record += LE16(static_cast<uint16_t>(axis + shift));
    std::string text = sample.sentence.substr(0, 126);
    text.resize(126, '\0');
    return record + Scramble(text, shift);
}

std::string IcatTelemetryAtom(const std::vector<Sample>& samples, const IcatOptions& options)
{
    std::string content = options.marker.substr(0, 7);
    content.resize(7, '\0');
    content.append(options.keyBytes.begin(), options.keyBytes.end());
    content += '\0';
    const int shift = IcatShift(options.keyBytes);
    for (const Sample& sample : samples)
        content += IcatRecord(sample, shift);
    const auto realSize = static_cast<uint32_t>(content.size() + 8);
    return AtomWithSize(options.telemetrySizeField.value_or(realSize), "gps ", content);
}

std::string IcatMovie(const std::vector<Sample>& samples, const IcatOptions& options)
{
    std::string file;
    if (options.leadingAtoms.empty())
        file = Ftyp() + Atom("mdat", std::string(64, '\0')) + Moov(options.creationTime, "");
    for (const std::string& atom : options.leadingAtoms)
        file += atom;
    if (options.freeAtom)
        file += Atom("free", std::string(16, '\0'));
    file += IcatTelemetryAtom(samples, options);
    return file + options.chip;
}

// ---- AMBARELLA A7L -------------------------------------------------------------------

std::string A7lSampleText(const Sample& sample, int shift, std::string_view lineEnd)
{
    return " " + Scramble(LogLineText(sample), shift) + std::string(lineEnd);
}

std::string A7lKeyText(std::string_view keyDigits)
{
    std::string digits(keyDigits.substr(0, 8));
    digits.resize(8, '0');
    return " " + digits + "\r\n";
}

static std::string A7lTracks(int trackCount, const std::vector<uint32_t>& offsets)
{
    std::string traks;
    for (int t = 1; t <= trackCount; ++t)
        traks += Trak(Stco(t == 3 ? offsets : std::vector<uint32_t>{}));
    return traks;
}

std::string A7lMovieFromChunks(const std::vector<std::string>& chunkTexts,
                               const A7lOptions& options)
{
    std::vector<uint32_t> offsets(chunkTexts.size(), 0);
    const std::string ftyp = Ftyp();
    // The movie atom's size does not depend on the offsets' values: measure, then fill.
    const std::string udta = Udta(options.chip);
    const size_t moovSize = Moov(0, udta + A7lTracks(options.trackCount, offsets)).size();
    std::string mdat;
    const size_t mdatContent = ftyp.size() + moovSize + 8;
    for (size_t j = 0; j < chunkTexts.size(); ++j) {
        offsets[j] = static_cast<uint32_t>(mdatContent + mdat.size());
        mdat += BE16(static_cast<uint16_t>(chunkTexts[j].size())) + chunkTexts[j];
    }
    return ftyp + Moov(options.creationTime, udta + A7lTracks(options.trackCount, offsets)) +
           Atom("mdat", mdat);
}

std::string A7lMovie(const std::vector<Sample>& samples, const A7lOptions& options)
{
    const int shift = KeyDigitSum(options.keyDigits);
    std::vector<std::string> texts;
    for (const Sample& sample : samples) {
        if (options.keyIndex && texts.size() == *options.keyIndex)
            texts.push_back(A7lKeyText(options.keyDigits));
        texts.push_back(A7lSampleText(sample, shift, options.lineEnd));
    }
    if (options.keyIndex && texts.size() == *options.keyIndex)
        texts.push_back(A7lKeyText(options.keyDigits));
    return A7lMovieFromChunks(texts, options);
}

// ---- NT96650A ------------------------------------------------------------------------

std::string Nt96650Block(const Sample& sample, std::string_view keyDigits, bool crlf)
{
    const int shift = KeyDigitSum(keyDigits);
    std::string block(76, '\0');
    block += LE32(static_cast<uint32_t>(sample.x));
    block += LE32(static_cast<uint32_t>(sample.y));
    block += LE32(static_cast<uint32_t>(sample.z));
    // Scrambled area of 128 bytes: one spare byte, the sentence, a plain CR LF.
    std::string area = Scramble(std::string(1, '\0'), shift);
    area += Scramble(sample.sentence.substr(0, crlf ? 125 : 127), shift);
    if (crlf)
        area += "\r\n";
    area.resize(128, '\0');
    block += area;
    std::string key(keyDigits.substr(0, 8));
    key.resize(8, '0');
    block += key;
    block.append(8, '\0');
    return block;
}

static std::string NtKeyFor(const Nt96650Options& options, size_t index)
{
    if (options.keyDigits.empty())
        return "00000000";
    return options.keyDigits[index % options.keyDigits.size()];
}

static std::string NtMoov(const Nt96650Options& options, const std::string& traks)
{
    const std::string udta = Udta(options.chip);
    return Moov(options.creationTime, options.udtaFirst ? udta + traks : traks + udta);
}

SparseFile Nt96650FirstTrackMovie(const std::vector<Sample>& samples,
                                  const Nt96650Options& options)
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
    if (groups > 0)
        end = std::max(end, blockPosition(groups) + kNtBlockSpan);

    std::vector<uint32_t> chunks(options.chunkCount.value_or(count), 0);
    std::copy_n(offsets.begin(), std::min<size_t>(chunks.size(), offsets.size()), chunks.begin());
    const std::string stsz =
        options.uniformSize ? Stsz(size, {}, options.stszCountField.value_or(count))
                            : Stsz(0, std::vector<uint32_t>(count, size), options.stszCountField);
    const std::string trak = Trak(stsz + Stco(chunks, options.stcoCountField));

    SparseFile file;
    const std::string ftyp = Ftyp();
    file.Put(0, ftyp + BE32(static_cast<uint32_t>(end - ftyp.size())) + "mdat");
    for (uint32_t k = 1; k <= groups && k <= samples.size(); ++k)
        file.Put(blockPosition(k) + 48, Nt96650Block(samples[k - 1], NtKeyFor(options, k - 1),
                                                     options.crlf));
    file.Put(end, NtMoov(options, trak));
    return file;
}

std::string Nt96650SecondTrackMovie(const std::vector<Sample>& samples,
                                    const Nt96650Options& options)
{
    std::vector<uint32_t> offsets(samples.size(), 0);
    const std::string videoTrak = Trak(Stsz(0, {}) + Stco({}));
    const std::string ftyp = Ftyp();
    const size_t mdatContent =
        ftyp.size() + NtMoov(options, videoTrak + Trak(Stco(offsets))).size() + 8;
    for (size_t j = 0; j < samples.size(); ++j)
        offsets[j] = static_cast<uint32_t>(mdatContent + j * kNtBlockSpan);

    std::string mdat(kNtChunkDistance + samples.size() * kNtBlockSpan, '\0');
    for (size_t j = 0; j < samples.size(); ++j)
        mdat.replace(kNtChunkDistance + j * kNtBlockSpan + 48, kNtBlockRead,
                     Nt96650Block(samples[j], NtKeyFor(options, j), options.crlf));
    return ftyp + NtMoov(options, videoTrak + Trak(Stco(offsets))) + Atom("mdat", mdat);
}

// ---- Movie-time shapes ---------------------------------------------------------------

std::string MovieFirstShape(uint32_t creationTime, std::string_view mdatPayload)
{
    return Ftyp() + Atom("mdat", mdatPayload) + Moov(creationTime, "");
}

std::string MovieSecondShape(uint32_t creationTime)
{
    return Atom("ftyp", std::string("qt  ") + BE32(0x200) + "qt  qt  ") +
           Moov(creationTime, "");
}

}  // namespace layout_writer
