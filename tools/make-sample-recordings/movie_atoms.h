#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A minimal QuickTime atom tree for rewriting the movies a muxer wrote: parse, edit the
// sample tables, serialise. 32-bit atom sizes only (what the muxer writes for short clips).
using Bytes = std::vector<uint8_t>;

struct Atom
{
    std::string type;            // four characters
    Bytes payload;               // content of a leaf atom
    std::vector<Atom> children;  // content of a container atom
    bool container = false;

    Atom* child(const std::string& childType);
    const Atom* child(const std::string& childType) const;
    size_t size() const;  // header included
};

Atom makeLeaf(const std::string& type, Bytes payload);
Atom makeContainer(const std::string& type, std::vector<Atom> children);

// Parses a whole file; false when an atom runs past the end or has a size below 8.
bool parseAtoms(const Bytes& file, std::vector<Atom>& out);
void appendAtom(const Atom& atom, Bytes& out);

void putU16(Bytes& out, uint32_t value);
void putU32(Bytes& out, uint32_t value);
uint32_t getU32(const Bytes& data, size_t offset);
void setU32(Bytes& data, size_t offset, uint32_t value);

// The samples of one track, in order, copied out of the file.
std::vector<Bytes> readTrackSamples(const Atom& trak, const Bytes& file);
// Replaces the track's chunk tables by one sample per chunk at the given offsets; the
// chunk offset table follows the sample size table directly.
void setOneSamplePerChunk(Atom& trak, const std::vector<uint32_t>& offsets);
