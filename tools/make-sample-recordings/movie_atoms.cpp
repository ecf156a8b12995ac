#include "tools/make-sample-recordings/movie_atoms.h"

#include <algorithm>
#include <stdexcept>

namespace {

bool isContainerType(const std::string& type)
{
    static const char* const kContainers[] = {"moov", "trak", "mdia", "minf",
                                              "stbl", "dinf", "edts", "udta"};
    return std::any_of(std::begin(kContainers), std::end(kContainers),
                       [&](const char* c) { return type == c; });
}

bool parseRange(const Bytes& file, size_t begin, size_t end, std::vector<Atom>& out)
{
    size_t pos = begin;
    while (pos + 8 <= end) {
        const uint32_t size = getU32(file, pos);
        if (size < 8 || size > end - pos) {
            return false;
        }
        Atom atom;
        atom.type.assign(reinterpret_cast<const char*>(&file[pos + 4]), 4);
        atom.container = isContainerType(atom.type);
        if (atom.container) {
            if (!parseRange(file, pos + 8, pos + size, atom.children)) {
                return false;
            }
        } else {
            atom.payload.assign(file.begin() + static_cast<long>(pos + 8),
                                file.begin() + static_cast<long>(pos + size));
        }
        out.push_back(std::move(atom));
        pos += size;
    }
    return pos == end;
}

struct ChunkRun
{
    uint32_t firstChunk;
    uint32_t samplesPerChunk;
};

std::vector<uint32_t> readTable(const Bytes& payload, size_t countOffset, size_t firstOffset,
                                size_t stride)
{
    std::vector<uint32_t> values;
    const uint32_t count = getU32(payload, countOffset);
    for (uint32_t i = 0; i < count; ++i) {
        values.push_back(getU32(payload, firstOffset + i * stride));
    }
    return values;
}

const Atom& sampleTable(const Atom& trak)
{
    const Atom* stbl = trak.child("mdia") ? trak.child("mdia")->child("minf") : nullptr;
    stbl = stbl ? stbl->child("stbl") : nullptr;
    if (!stbl) {
        throw std::runtime_error("track without sample table");
    }
    return *stbl;
}

}  // namespace

Atom* Atom::child(const std::string& childType)
{
    auto it = std::find_if(children.begin(), children.end(),
                           [&](const Atom& a) { return a.type == childType; });
    return it == children.end() ? nullptr : &*it;
}

const Atom* Atom::child(const std::string& childType) const
{
    return const_cast<Atom*>(this)->child(childType);
}

size_t Atom::size() const
{
    size_t size = 8;
    if (container) {
        for (const Atom& c : children) {
            size += c.size();
        }
    } else {
        size += payload.size();
    }
    return size;
}

Atom makeLeaf(const std::string& type, Bytes payload)
{
    return Atom{type, std::move(payload), {}, false};
}

Atom makeContainer(const std::string& type, std::vector<Atom> children)
{
    return Atom{type, {}, std::move(children), true};
}

bool parseAtoms(const Bytes& file, std::vector<Atom>& out)
{
    return parseRange(file, 0, file.size(), out);
}

void appendAtom(const Atom& atom, Bytes& out)
{
    putU32(out, static_cast<uint32_t>(atom.size()));
    out.insert(out.end(), atom.type.begin(), atom.type.end());
    if (atom.container) {
        for (const Atom& c : atom.children) {
            appendAtom(c, out);
        }
    } else {
        out.insert(out.end(), atom.payload.begin(), atom.payload.end());
    }
}

void putU16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void putU32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

uint32_t getU32(const Bytes& data, size_t offset)
{
    if (offset + 4 > data.size()) {
        throw std::runtime_error("table runs past its atom");
    }
    return (uint32_t{data[offset]} << 24) | (uint32_t{data[offset + 1]} << 16) |
           (uint32_t{data[offset + 2]} << 8) | uint32_t{data[offset + 3]};
}

void setU32(Bytes& data, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        data.at(offset + i) = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

std::vector<Bytes> readTrackSamples(const Atom& trak, const Bytes& file)
{
    const Atom& stbl = sampleTable(trak);
    const Atom* stsz = stbl.child("stsz");
    const Atom* stsc = stbl.child("stsc");
    const Atom* stco = stbl.child("stco");
    if (!stsz || !stsc || !stco) {
        throw std::runtime_error("track without 32-bit sample tables");
    }
    const uint32_t uniform = getU32(stsz->payload, 4);
    const uint32_t sampleCount = getU32(stsz->payload, 8);
    const std::vector<uint32_t> offsets = readTable(stco->payload, 4, 8, 4);
    std::vector<ChunkRun> runs;
    for (uint32_t i = 0, n = getU32(stsc->payload, 4); i < n; ++i) {
        runs.push_back({getU32(stsc->payload, 8 + 12 * i), getU32(stsc->payload, 12 + 12 * i)});
    }
    std::vector<Bytes> samples;
    size_t run = 0;
    for (uint32_t chunk = 0; chunk < offsets.size() && samples.size() < sampleCount; ++chunk) {
        while (run + 1 < runs.size() && runs[run + 1].firstChunk <= chunk + 1) {
            ++run;
        }
        size_t pos = offsets[chunk];
        for (uint32_t k = 0; k < runs.at(run).samplesPerChunk && samples.size() < sampleCount;
             ++k) {
            const size_t size = uniform ? uniform : getU32(stsz->payload, 12 + 4 * samples.size());
            if (pos + size > file.size()) {
                throw std::runtime_error("sample runs past the end of the file");
            }
            samples.emplace_back(file.begin() + static_cast<long>(pos),
                                 file.begin() + static_cast<long>(pos + size));
            pos += size;
        }
    }
    return samples;
}

void setOneSamplePerChunk(Atom& trak, const std::vector<uint32_t>& offsets)
{
    Atom& stbl = const_cast<Atom&>(sampleTable(trak));
    Bytes stsc;
    putU32(stsc, 0);
    putU32(stsc, 1);
    putU32(stsc, 1);  // first chunk
    putU32(stsc, 1);  // samples per chunk
    putU32(stsc, 1);  // sample description
    Bytes stco;
    putU32(stco, 0);
    putU32(stco, static_cast<uint32_t>(offsets.size()));
    for (uint32_t offset : offsets) {
        putU32(stco, offset);
    }
    std::erase_if(stbl.children,
                  [](const Atom& a) { return a.type == "stco" || a.type == "co64"; });
    stbl.child("stsc")->payload = std::move(stsc);
    auto stsz = std::find_if(stbl.children.begin(), stbl.children.end(),
                             [](const Atom& a) { return a.type == "stsz"; });
    stbl.children.insert(stsz + 1, makeLeaf("stco", std::move(stco)));
}
