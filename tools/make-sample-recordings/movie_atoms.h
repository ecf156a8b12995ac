#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A minimal QuickTime atom tree for rewriting the movies a muxer wrote: parse, edit the
// sample tables, serialise. 32-bit atom sizes only (what the muxer writes for short clips).
using Bytes = std::vector<uint8_t>;

struct Atom {
    std::string type;            // four characters
    Bytes payload;               // content of a leaf atom
    std::vector<Atom> children;  // content of a container atom
    bool container = false;

    Atom* Child(const std::string& childType);
    const Atom* Child(const std::string& childType) const;
    size_t Size() const;  // header included
};

Atom MakeLeaf(const std::string& type, Bytes payload);
Atom MakeContainer(const std::string& type, std::vector<Atom> children);

// Parses a whole file; false when an atom runs past the end or has a size below 8.
bool ParseAtoms(const Bytes& file, std::vector<Atom>& out);
void AppendAtom(const Atom& atom, Bytes& out);

void PutU16(Bytes& out, uint32_t value);
void PutU32(Bytes& out, uint32_t value);
uint32_t GetU32(const Bytes& data, size_t offset);
void SetU32(Bytes& data, size_t offset, uint32_t value);

// The samples of one track, in order, copied out of the file.
std::vector<Bytes> ReadTrackSamples(const Atom& trak, const Bytes& file);
// Replaces the track's chunk tables by one sample per chunk at the given offsets; the
// chunk offset table follows the sample size table directly.
void SetOneSamplePerChunk(Atom& trak, const std::vector<uint32_t>& offsets);
