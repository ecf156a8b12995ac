#include "tools/dashcam-telemetry/descriptor_output.h"

#include <unistd.h>

#include <cerrno>

DescriptorOutput::DescriptorOutput(int fd) : m_fd(fd)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c)
{
    if (!drain()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int DescriptorOutput::sync()
{
    return drain() ? 0 : -1;
}

bool DescriptorOutput::drain()
{
    if (m_error != 0) {
        return false;
    }
    const char* next = pbase();
    while (next < pptr()) {
        const ssize_t written = ::write(m_fd, next, static_cast<size_t>(pptr() - next));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            m_error = written < 0 ? errno : EIO;
            return false;
        }
        next += written;
    }
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return true;
}
