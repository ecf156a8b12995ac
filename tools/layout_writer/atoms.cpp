#include "tools/layout_writer/layout_writer.h"

#include <algorithm>

namespace layout_writer {

std::string be16(uint16_t value)
{
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string BE32(uint32_t value)
{
    return be16(static_cast<uint16_t>(value >> 16)) + be16(static_cast<uint16_t>(value));
}

std::string LE16(uint16_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string LE32(uint32_t value)
{
    return LE16(static_cast<uint16_t>(value)) + LE16(static_cast<uint16_t>(value >> 16));
}

std::string atomWithSize(uint32_t sizeField, std::string_view type, std::string_view content)
{
    std::string atom = BE32(sizeField);
    atom.append(type.substr(0, 4));
    atom.append(4 - std::min<size_t>(4, type.size()), ' ');
    atom.append(content);
    return atom;
}

std::string Atom(std::string_view type, std::string_view content)
{
    return atomWithSize(static_cast<uint32_t>(content.size() + 8), type, content);
}

std::string ftypAtom()
{
    return Atom("ftyp", std::string("qt  ") + BE32(0x200) + "qt  ");
}

std::string mvhdAtom(uint32_t creationTime, uint32_t durationMs)
{
    std::string content = BE32(0);  // version, flags
    content += BE32(creationTime);
    content += BE32(creationTime);  // modification time
    content += BE32(1000);          // time scale
    content += BE32(durationMs);    // duration
    content += BE32(0x00010000);    // rate 1.0
    content += be16(0x0100);        // volume 1.0
    content.append(10, '\0');
    const uint32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    for (uint32_t m : matrix) {
        content += BE32(m);
    }
    content.append(24, '\0');  // preview, poster, selection, current time
    content += BE32(2);        // next track id
    return Atom("mvhd", content);
}

std::string udtaAtom(std::string_view chip, size_t padBefore)
{
    if (chip.empty()) {
        return Atom("udta", "");
    }
    std::string child(padBefore, '\0');
    child.append(chip);
    // The chip is searched in (child size) bytes after the child's size field, which
    // reach 4 bytes past the child: keep them inside the user data.
    return Atom("udta", Atom("name", child) + std::string(4, '\0'));
}

std::string trakAtom(std::string_view stblChildren)
{
    return Atom("trak", Atom("mdia", Atom("minf", Atom("stbl", stblChildren))));
}

std::string stcoAtom(const std::vector<uint32_t>& offsets, std::optional<uint32_t> countField)
{
    std::string content = BE32(0);
    content += BE32(countField.value_or(static_cast<uint32_t>(offsets.size())));
    for (uint32_t offset : offsets) {
        content += BE32(offset);
    }
    return Atom("stco", content);
}

std::string stszAtom(uint32_t uniformSize, const std::vector<uint32_t>& sizes,
                     std::optional<uint32_t> countField)
{
    std::string content = BE32(0);
    content += BE32(uniformSize);
    content += BE32(countField.value_or(static_cast<uint32_t>(sizes.size())));
    if (uniformSize == 0) {
        for (uint32_t size : sizes) {
            content += BE32(size);
        }
    }
    return Atom("stsz", content);
}

size_t findAtom(std::string_view bytes, std::string_view type, size_t from)
{
    size_t at = bytes.find(type, from + 4);
    while (at != std::string_view::npos && at < 4) {
        at = bytes.find(type, at + 1);
    }
    return at == std::string_view::npos ? std::string::npos : at - 4;
}

void patchBE32(std::string& bytes, size_t offset, uint32_t value)
{
    bytes.replace(offset, 4, BE32(value));
}

std::string scramble(std::string_view text, int shift)
{
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(static_cast<unsigned char>(c) + shift);
    }
    return out;
}

std::string logLineText(const Sample& sample)
{
    return std::to_string(sample.x) + '\t' + std::to_string(sample.y) + '\t' +
           std::to_string(sample.z) + '\t' + sample.sentence;
}

}  // namespace layout_writer
