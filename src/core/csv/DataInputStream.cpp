#include "core/csv/DataInputStream.h"

#include <algorithm>
#include <cstring>

namespace brivel::csv {

void DataInputStream::open() {
    if (m_status == Status::NotOpen)
        m_status = Status::Open;
}

void DataInputStream::close() {
    if (m_status != Status::NotOpen)
        m_status = Status::Closed;
}

std::ptrdiff_t DataInputStream::read(char* buffer, std::size_t maxLength) {
    if (m_status != Status::Open && m_status != Status::Reading && m_status != Status::AtEnd)
        return -1;
    const std::size_t n = std::min(maxLength, m_bytes.size() - m_offset);
    if (n > 0)
        std::memcpy(buffer, m_bytes.data() + m_offset, n);
    m_offset += n;
    m_status = m_offset == m_bytes.size() ? Status::AtEnd : Status::Reading;
    return static_cast<std::ptrdiff_t>(n);
}

} // namespace brivel::csv
