#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Bits and Exp-Golomb codes of a few bytes of a NAL unit; nothing past the last bit.
class BitReader
{
public:
    BitReader(const unsigned char* bytes, size_t count) : m_bytes(bytes), m_bits(count * 8) {}

    std::optional<uint32_t> bit()
    {
        if (m_at >= m_bits) {
            return std::nullopt;
        }
        const uint32_t value = (m_bytes[m_at / 8] >> (7 - m_at % 8)) & 1u;
        ++m_at;
        return value;
    }

    std::optional<uint32_t> bits(uint32_t count)
    {
        uint32_t value = 0;
        for (uint32_t i = 0; i < count; ++i) {
            const std::optional<uint32_t> b = bit();
            if (!b) {
                return std::nullopt;
            }
            value = value << 1 | *b;
        }
        return value;
    }

    std::optional<int32_t> signedGolomb()
    {
        const std::optional<uint32_t> code = unsignedGolomb();
        if (!code) {
            return std::nullopt;
        }
        const int64_t magnitude = (int64_t{*code} + 1) / 2;
        return static_cast<int32_t>(*code % 2 == 1 ? magnitude : -magnitude);
    }

    std::optional<uint32_t> unsignedGolomb()
    {
        int zeros = 0;
        for (;;) {
            const std::optional<uint32_t> b = bit();
            if (!b) {
                return std::nullopt;
            }
            if (*b == 1) {
                break;
            }
            if (++zeros > 31) {
                return std::nullopt;
            }
        }
        uint64_t value = 1;
        for (int i = 0; i < zeros; ++i) {
            const std::optional<uint32_t> b = bit();
            if (!b) {
                return std::nullopt;
            }
            value = value << 1 | *b;
        }
        return static_cast<uint32_t>(value - 1);
    }

private:
    const unsigned char* m_bytes;
    size_t m_bits;
    size_t m_at = 0;
};
