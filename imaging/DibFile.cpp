#include "imaging/DibFile.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Utf16ToUtf8(const WCHAR* s) {
    std::string out;
    if (!s)
        return out;
    for (size_t i = 0; s[i]; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

constexpr long kGrowStep = 65536;

} // namespace

FILE* DibOpenFile(const WCHAR* path, const char* mode) {
    if (!path || !mode)
        return nullptr;
    return std::fopen(Utf16ToUtf8(path).c_str(), mode);
}

// ---- CDibIOFile

CDibIOFile::~CDibIOFile() {
    if (m_fp && m_owner)
        std::fclose(m_fp);
}

bool CDibIOFile::Open(const WCHAR* path, const WCHAR* mode) {
    if (m_fp)
        return false;
    m_fp = DibOpenFile(path, Utf16ToUtf8(mode).c_str());
    if (!m_fp)
        return false;
    m_owner = true;
    return true;
}

bool CDibIOFile::Close() {
    if (!m_fp || !m_owner)
        return true;
    int r = std::fclose(m_fp);
    m_fp = nullptr;
    return r == 0;
}

size_t CDibIOFile::Read(void* buffer, size_t size, size_t count) {
    return m_fp ? std::fread(buffer, size, count, m_fp) : 0;
}

size_t CDibIOFile::Write(const void* buffer, size_t size, size_t count) {
    return m_fp ? std::fwrite(buffer, size, count, m_fp) : 0;
}

bool CDibIOFile::Seek(long offset, int origin) {
    return m_fp && std::fseek(m_fp, offset, origin) == 0;
}

long CDibIOFile::Tell() {
    return m_fp ? std::ftell(m_fp) : 0;
}

long CDibIOFile::Size() {
    if (!m_fp)
        return -1;
    long pos = std::ftell(m_fp);
    std::fseek(m_fp, 0, SEEK_END);
    long size = std::ftell(m_fp);
    std::fseek(m_fp, pos, SEEK_SET);
    return size;
}

bool CDibIOFile::Flush() {
    return m_fp && std::fflush(m_fp) == 0;
}
bool CDibIOFile::Eof() {
    return m_fp ? std::feof(m_fp) != 0 : true;
}
long CDibIOFile::Error() {
    return m_fp ? std::ferror(m_fp) : -1;
}
bool CDibIOFile::PutC(unsigned char c) {
    return m_fp && std::fputc(c, m_fp) == c;
}
long CDibIOFile::GetC() {
    return m_fp ? std::getc(m_fp) : -1;
}
char* CDibIOFile::GetS(char* buffer, int size) {
    return m_fp ? std::fgets(buffer, size, m_fp) : nullptr;
}

long CDibIOFile::Scanf(const char* format, void* output) {
    if (!m_fp)
        return -1;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    return std::fscanf(m_fp, format, output);
#pragma GCC diagnostic pop
}

// ---- CDibMemFile

CDibMemFile::CDibMemFile(BYTE* buffer, DWORD size)
    : m_buffer(buffer), m_size(buffer ? static_cast<long>(size) : 0),
      m_freeOnClose(buffer == nullptr), m_position(0), m_capacity(m_size) {}

CDibMemFile::~CDibMemFile() {
    Close();
}

bool CDibMemFile::Open() {
    if (m_buffer)
        return false;
    m_size = m_position = m_capacity = 0;
    m_buffer = static_cast<BYTE*>(std::malloc(1));
    m_freeOnClose = true;
    return m_buffer != nullptr;
}

BYTE* CDibMemFile::GetBuffer(bool detach) {
    if (detach)
        m_freeOnClose = false;
    return m_buffer;
}

bool CDibMemFile::Close() {
    if (m_buffer && m_freeOnClose) {
        std::free(m_buffer);
        m_buffer = nullptr;
        m_size = 0;
    }
    return true;
}

bool CDibMemFile::Grow(long needed) {
    if (needed <= m_capacity)
        return true;
    if (needed > LONG_MAX - kGrowStep)
        return false;
    long capacity = (needed / kGrowStep) * kGrowStep + kGrowStep;
    BYTE* block;
    if (m_buffer && m_freeOnClose) {
        block = static_cast<BYTE*>(std::realloc(m_buffer, static_cast<size_t>(capacity)));
        if (!block)
            return false;
    } else {
        // The caller's block stays the caller's: copy what it holds into a block of our own.
        block = static_cast<BYTE*>(std::malloc(static_cast<size_t>(capacity)));
        if (!block)
            return false;
        if (m_buffer && m_size > 0)
            std::memcpy(block, m_buffer, static_cast<size_t>(m_size));
    }
    // The gap a write after a seek past the end leaves reads as zeros.
    if (capacity > m_size)
        std::memset(block + m_size, 0, static_cast<size_t>(capacity - m_size));
    m_buffer = block;
    m_capacity = capacity;
    m_freeOnClose = true;
    return true;
}

size_t CDibMemFile::Read(void* buffer, size_t size, size_t count) {
    if (!buffer || !m_buffer || m_position >= m_size || size == 0 || count == 0)
        return 0;
    size_t left = static_cast<size_t>(m_size - m_position);
    size_t n = (count > left / size) ? left : size * count;
    std::memcpy(buffer, m_buffer + m_position, n);
    m_position += static_cast<long>(n);
    return n / size;
}

size_t CDibMemFile::Write(const void* buffer, size_t size, size_t count) {
    if (!m_buffer || !buffer || size == 0 || count == 0)
        return 0;
    if (count > static_cast<size_t>(LONG_MAX) / size)
        return 0;
    size_t bytes = size * count;
    if (static_cast<size_t>(m_position) > static_cast<size_t>(LONG_MAX) - bytes)
        return 0;
    long end = m_position + static_cast<long>(bytes);
    if (!Grow(end))
        return 0;
    std::memcpy(m_buffer + m_position, buffer, bytes);
    m_position = end;
    if (m_position > m_size)
        m_size = m_position;
    return count;
}

bool CDibMemFile::Seek(long offset, int origin) {
    if (!m_buffer)
        return false;
    long base;
    switch (origin) {
    case DIBFILE_SEEK_SET:
        base = 0;
        break;
    case DIBFILE_SEEK_CUR:
        base = m_position;
        break;
    case DIBFILE_SEEK_END:
        base = m_size;
        break;
    default:
        return false;
    }
    long pos;
    if (__builtin_add_overflow(base, offset, &pos))
        pos = offset < 0 ? 0 : LONG_MAX;
    m_position = pos < 0 ? 0 : pos;
    return true;
}

long CDibMemFile::Tell() {
    return m_buffer ? m_position : -1;
}
long CDibMemFile::Size() {
    return m_buffer ? m_size : -1;
}
bool CDibMemFile::Flush() {
    return m_buffer != nullptr;
}
bool CDibMemFile::Eof() {
    return m_buffer ? m_position >= m_size : true;
}
long CDibMemFile::Error() {
    return m_buffer ? (m_position > m_size ? 1 : 0) : -1;
}

bool CDibMemFile::PutC(unsigned char c) {
    if (!m_buffer)
        return false;
    if (m_position >= m_capacity && (m_position == LONG_MAX || !Grow(m_position + 1)))
        return false;
    m_buffer[m_position++] = c;
    if (m_position > m_size)
        m_size = m_position;
    return true;
}

long CDibMemFile::GetC() {
    if (Eof())
        return -1;
    return m_buffer[m_position++];
}

char* CDibMemFile::GetS(char* buffer, int size) {
    if (!buffer || size <= 0)
        return nullptr;
    int n = 0;
    while (n < size - 1) {
        long c = GetC();
        if (c == -1)
            return nullptr;
        buffer[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    buffer[n] = 0;
    return buffer;
}

long CDibMemFile::Scanf(const char*, void*) {
    return 0;
}
