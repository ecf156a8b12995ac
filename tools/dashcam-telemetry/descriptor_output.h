#pragma once

#include <array>
#include <streambuf>

// A buffered stream buffer over a file descriptor that keeps the reason of the first write
// that failed: a stream over it fails from then on, and the program can say why (a full
// disk, a pulled card) instead of ending as if the output were complete.
class DescriptorOutput : public std::streambuf
{
public:
    explicit DescriptorOutput(int fd);
    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;

    // The errno of the first failed write; 0 while every write succeeded.
    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool drain();

    int m_fd;
    int m_error = 0;
    std::array<char, 1 << 16> m_buffer{};
};
