#include "tools/make-sample-recordings/camera_movie.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tools/make-sample-recordings/movie_atoms.h"

namespace camera_movie {

namespace {

namespace lw = layout_writer;

constexpr uint32_t kNtBlockAlign = 32768;
constexpr uint32_t kNtBlockLead = 48;  // the block is read from position + 48
const std::string kKeyDigits = "31415926";

Bytes toBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// A serialised atom kept as it is (its content may end in a terminator word).
Atom rawAtom(const std::string& bytes)
{
    if (bytes.size() < 8) {
        throw std::runtime_error("malformed atom");
    }
    return makeLeaf(bytes.substr(4, 4), Bytes(bytes.begin() + 8, bytes.end()));
}

// The media data of the rewritten movie; offsets are absolute file positions.
class MdatBuilder
{
public:
    explicit MdatBuilder(uint32_t start) : m_start(start) {}

    uint32_t place(const Bytes& bytes)
    {
        const uint32_t offset = end();
        m_content.insert(m_content.end(), bytes.begin(), bytes.end());
        return offset;
    }
    void padTo(uint32_t offset) { m_content.resize(m_content.size() + (offset - end()), 0); }
    uint32_t end() const { return m_start + static_cast<uint32_t>(m_content.size()); }
    Atom finish() { return makeLeaf("mdat", std::move(m_content)); }

private:
    uint32_t m_start;  // file offset of the first content byte
    Bytes m_content;
};

struct Parts
{
    Atom ftyp;
    Atom moov;
    std::vector<std::vector<Bytes>> samples;  // per track
};

Bytes readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Atom*> trackAtoms(Atom& moov)
{
    std::vector<Atom*> tracks;
    for (Atom& child : moov.children) {
        if (child.type == "trak") {
            tracks.push_back(&child);
        }
    }
    return tracks;
}

Parts load(const Movie& movie)
{
    const Bytes file = readWholeFile(movie.source);
    std::vector<Atom> top;
    if (!parseAtoms(file, top)) {
        throw std::runtime_error("not a QuickTime file: " + movie.source);
    }
    Parts parts;
    for (Atom& atom : top) {
        if (atom.type == "ftyp") {
            parts.ftyp = atom;
        } else if (atom.type == "moov") {
            parts.moov = atom;
        }
    }
    if (parts.ftyp.type.empty() || parts.moov.type.empty()) {
        throw std::runtime_error("no ftyp or moov in " + movie.source);
    }
    for (Atom* trak : trackAtoms(parts.moov)) {
        parts.samples.push_back(readTrackSamples(*trak, file));
    }
    // The muxer's tags go; the camera's user data (if any) takes their place.
    std::erase_if(parts.moov.children, [](const Atom& a) { return a.type == "udta"; });
    Atom* mvhd = parts.moov.child("mvhd");
    if (!mvhd || mvhd->payload.size() < 12 || mvhd->payload[0] != 0) {
        throw std::runtime_error("no version-0 movie header");
    }
    setU32(mvhd->payload, 4, movie.creationTime);
    setU32(mvhd->payload, 8, movie.creationTime);
    return parts;
}

// Every track's samples one per chunk, track after track.
void placeTracks(Parts& parts, MdatBuilder& mdat)
{
    std::vector<Atom*> tracks = trackAtoms(parts.moov);
    for (size_t t = 0; t < tracks.size(); ++t) {
        std::vector<uint32_t> offsets;
        for (const Bytes& sample : parts.samples[t]) {
            offsets.push_back(mdat.place(sample));
        }
        setOneSamplePerChunk(*tracks[t], offsets);
    }
}

void save(const Movie& movie, const Parts& parts, Atom mdat, const std::string& trailer = {})
{
    Bytes out;
    appendAtom(parts.ftyp, out);
    appendAtom(mdat, out);
    appendAtom(parts.moov, out);
    out.insert(out.end(), trailer.begin(), trailer.end());
    std::ofstream file(movie.target, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file.flush()) {
        throw std::runtime_error("cannot write " + movie.target);
    }
}

uint32_t mdatStart(const Parts& parts)
{
    return static_cast<uint32_t>(parts.ftyp.size()) + 8;
}

// A well-formed track that the demuxer skips (unknown handler) and the A7L reader reads.
Atom telemetryTrack(const std::vector<uint32_t>& offsets, const std::vector<uint32_t>& sizes,
                    uint32_t trackId)
{
    const auto count = static_cast<uint32_t>(sizes.size());
    Bytes tkhd(84, 0);
    setU32(tkhd, 0, 0x0000000F);  // enabled, in movie
    setU32(tkhd, 12, trackId);
    setU32(tkhd, 20, count * 1000);
    setU32(tkhd, 40, 0x00010000);  // unity matrix
    setU32(tkhd, 56, 0x00010000);
    setU32(tkhd, 72, 0x40000000);
    Bytes mdhd(24, 0);
    setU32(mdhd, 12, 1000);  // timescale
    setU32(mdhd, 16, count * 1000);
    Bytes hdlr;
    putU32(hdlr, 0);
    hdlr.insert(hdlr.end(), {'m', 'h', 'l', 'r', 'g', 'p', 's', ' '});
    hdlr.resize(hdlr.size() + 13, 0);  // reserved words, empty name
    Bytes dref;
    putU32(dref, 0);
    putU32(dref, 1);
    appendAtom(makeLeaf("url ", Bytes{0, 0, 0, 1}), dref);
    Bytes stsd;
    putU32(stsd, 0);
    putU32(stsd, 1);
    putU32(stsd, 16);
    stsd.insert(stsd.end(), {'g', 'p', 's', ' ', 0, 0, 0, 0, 0, 0, 0, 1});
    Bytes stts;
    putU32(stts, 0);
    putU32(stts, 1);
    putU32(stts, count);
    putU32(stts, 1000);
    Bytes stsz;
    putU32(stsz, 0);
    putU32(stsz, 0);
    putU32(stsz, count);
    for (uint32_t size : sizes) {
        putU32(stsz, size);
    }
    Atom stbl = makeContainer("stbl", {makeLeaf("stsd", stsd), makeLeaf("stts", stts),
                                       makeLeaf("stsc", {}), makeLeaf("stsz", stsz)});
    Atom minf = makeContainer("minf", {makeLeaf("nmhd", Bytes(4, 0)),
                                       makeContainer("dinf", {makeLeaf("dref", dref)}), stbl});
    Atom trak = makeContainer(
        "trak", {makeLeaf("tkhd", tkhd),
                 makeContainer("mdia", {makeLeaf("mdhd", mdhd), makeLeaf("hdlr", hdlr), minf})});
    setOneSamplePerChunk(trak, offsets);
    return trak;
}

template <typename Body>
bool guarded(std::string& error, Body body)
{
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

}  // namespace

bool writePlain(const Movie& movie, std::string& error)
{
    return guarded(error, [&] {
        Parts parts = load(movie);
        MdatBuilder mdat(mdatStart(parts));
        placeTracks(parts, mdat);
        save(movie, parts, mdat.finish());
    });
}

bool writeIcat(const Movie& movie, const std::vector<lw::Sample>& samples, std::string& error)
{
    return guarded(error, [&] {
        Parts parts = load(movie);
        MdatBuilder mdat(mdatStart(parts));
        placeTracks(parts, mdat);
        lw::IcatOptions options;
        // The atom covers the trailing chip name, so the demuxer steps over both.
        std::string telemetry = lw::icatTelemetryAtom(samples, options) + options.chip;
        lw::patchBE32(telemetry, 0, static_cast<uint32_t>(telemetry.size()));
        save(movie, parts, mdat.finish(), telemetry);
    });
}

bool writeA7l(const Movie& movie, const std::vector<lw::Sample>& samples, std::string& error)
{
    return guarded(error, [&] {
        Parts parts = load(movie);
        if (trackAtoms(parts.moov).size() != 2) {
            throw std::runtime_error("the A7L layout needs a movie with video and audio");
        }
        MdatBuilder mdat(mdatStart(parts));
        placeTracks(parts, mdat);
        std::vector<std::string> texts = {lw::a7lKeyText(kKeyDigits)};
        const int shift = lw::keyDigitSum(kKeyDigits);
        for (const lw::Sample& sample : samples) {
            texts.push_back(lw::a7lSampleText(sample, shift, "\r\n"));
        }
        std::vector<uint32_t> offsets;
        std::vector<uint32_t> sizes;
        for (const std::string& text : texts) {
            const Bytes chunk = toBytes(lw::be16(static_cast<uint16_t>(text.size())) + text);
            offsets.push_back(mdat.place(chunk));
            sizes.push_back(static_cast<uint32_t>(chunk.size()));
        }
        parts.moov.children.push_back(telemetryTrack(offsets, sizes, 3));
        parts.moov.children.push_back(rawAtom(lw::udtaAtom("AMBARELLA A7L")));
        save(movie, parts, mdat.finish());
    });
}

bool writeNt96650(const Movie& movie, const std::vector<lw::Sample>& samples, std::string& error)
{
    return guarded(error, [&] {
        Parts parts = load(movie);
        std::vector<Atom*> tracks = trackAtoms(parts.moov);
        if (tracks.size() != 1) {
            throw std::runtime_error("the NT96650A layout here needs a video-only movie");
        }
        MdatBuilder mdat(mdatStart(parts));
        std::vector<uint32_t> offsets;
        const std::vector<Bytes>& video = parts.samples.front();
        for (size_t i = 0; i < video.size(); ++i) {
            offsets.push_back(mdat.place(video[i]));
            const size_t block = (i + 1) / 30;
            if ((i + 1) % 30 != 0 || block > samples.size()) {
                continue;
            }
            const uint32_t position =
                (mdat.end() + kNtBlockAlign - 1) / kNtBlockAlign * kNtBlockAlign;
            mdat.padTo(position + kNtBlockLead);
            mdat.place(toBytes(lw::nt96650Block(samples[block - 1], kKeyDigits)));
        }
        setOneSamplePerChunk(*tracks.front(), offsets);
        parts.moov.children.push_back(rawAtom(lw::udtaAtom("NT96650A")));
        save(movie, parts, mdat.finish());
    });
}

}  // namespace camera_movie
