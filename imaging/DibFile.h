// Byte streams of the image library: one abstract stream, so that every codec reads and
// writes a disk file and a block of memory with the same code.
#pragma once

#include <cstddef>
#include <cstdio>

#include "platform/win/WinTypes.h"

// Seek origins (the C runtime's SEEK_SET, SEEK_CUR, SEEK_END).
enum { DIBFILE_SEEK_SET = 0, DIBFILE_SEEK_CUR = 1, DIBFILE_SEEK_END = 2 };

class CDibFile {
public:
    CDibFile() = default;
    virtual ~CDibFile() = default;
    // A stream object that owns a FILE* or a block must have one owner; nothing copies one.
    CDibFile(const CDibFile&) = delete;
    CDibFile& operator=(const CDibFile&) = delete;

    virtual bool Close() = 0;
    // Reads up to count items of size bytes; returns the whole items read.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    virtual bool Seek(long offset, int origin) = 0;
    virtual long Tell() = 0;
    virtual long Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual long Error() = 0;
    virtual bool PutC(unsigned char c) { return Write(&c, 1, 1) == 1; }
    // Next byte 0..255, or -1.
    virtual long GetC() = 0;
    virtual char* GetS(char* buffer, int size) = 0;
    virtual long Scanf(const char* format, void* output) = 0;
};

// Opens a file named by a UTF-16 path with an fopen mode ("rb", "wb"); NULL on failure.
FILE* DibOpenFile(const WCHAR* path, const char* mode);

// A stream over a C standard stream. A stream handed in by the caller is never closed here.
class CDibIOFile : public CDibFile {
public:
    explicit CDibIOFile(FILE* fp = nullptr) : m_fp(fp), m_owner(fp == nullptr) {}
    ~CDibIOFile() override;

    // false when a stream is attached already or the file cannot be opened.
    bool Open(const WCHAR* path, const WCHAR* mode);

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(long offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    long Error() override;
    bool PutC(unsigned char c) override;
    long GetC() override;
    char* GetS(char* buffer, int size) override;
    long Scanf(const char* format, void* output) override;

private:
    FILE* m_fp;
    bool m_owner;
};

// A stream over a heap block that grows by 64 KiB steps with every write past its end.
// A caller's block is read in place and never freed, reallocated or written beyond: the
// first growth moves the data into a block of the stream's own.
class CDibMemFile : public CDibFile {
public:
    explicit CDibMemFile(BYTE* buffer = nullptr, DWORD size = 0);
    ~CDibMemFile() override;

    // Starts an empty, owned block; false when a block is attached already.
    bool Open();
    // The block; detach hands it to the caller, who frees it with free().
    BYTE* GetBuffer(bool detach = true);
    void Release() { Close(); }

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(long offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    long Error() override;
    bool PutC(unsigned char c) override;
    long GetC() override;
    char* GetS(char* buffer, int size) override;
    long Scanf(const char* format, void* output) override;

    long Capacity() const { return m_capacity; }

private:
    bool Grow(long needed);

    BYTE* m_buffer;
    long m_size;
    bool m_freeOnClose;
    long m_position;
    long m_capacity;
};
