// The one door for pictures: construction from files and blocks, load and save, and the format
// dispatch over short-lived codec objects.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imaging/DibCodecRegistry.h"
#include "imaging/DibImage.h"
#include "imaging/DibImageBMP.h"
#include "imaging/DibImageJPG.h"
#include "platform/win/core/Files.h"

namespace {

// The codecs registered from outside the library, by format type.
DibCodecEntry g_registeredCodecs[DIBIMAGE_FORMAT_SLOTS + 1] = {};

// Runs write(file) on a fresh memory file and hands its bytes to the caller, who frees them;
// buffer must come in empty.
template <class Write>
bool EncodeToBuffer(CDibImage& image, BYTE*& buffer, long& size, Write&& write) {
    if (buffer) {
        image.SetLastError("the buffer must be empty");
        return false;
    }
    CDibMemFile file;
    if (!file.Open()) {
        image.SetLastError("can't allocate memory");
        return false;
    }
    if (!write(&file))
        return false;
    size = file.Size();
    buffer = file.GetBuffer(true);
    return true;
}

bool HasCodec(DWORD type) {
    switch (type) {
    case DIBIMAGE_TYPE_BMP:
    case DIBIMAGE_TYPE_JPG:
        return true;
    default:
        return RegisteredDibCodec(type) != nullptr;
    }
}

} // namespace

bool RegisterDibCodec(DWORD type, DibCodecEntry codec) {
    if (type >= 1 && type <= static_cast<DWORD>(DIBIMAGE_FORMAT_SLOTS))
        g_registeredCodecs[type] = codec;
    return true;
}

const DibCodecEntry* RegisteredDibCodec(DWORD type) {
    if (type < 1 || type > static_cast<DWORD>(DIBIMAGE_FORMAT_SLOTS))
        return nullptr;
    const DibCodecEntry& codec = g_registeredCodecs[type];
    return codec.decode && codec.encode ? &codec : nullptr;
}

CDibImage::CDibImage(const WCHAR* path, DWORD type) {
    InitDefaults(type);
    LoadFromFile(path, type);
}

CDibImage::CDibImage(BYTE* buffer, DWORD size, DWORD type) {
    InitDefaults(type);
    Decode(buffer, size, type);
}

CDibImage::CDibImage(FILE* stream, DWORD type) {
    InitDefaults(type);
    Decode(stream, type);
}

CDibImage::CDibImage(CDibFile* file, DWORD type) {
    InitDefaults(type);
    Decode(file, type);
}

// ---- format table

DWORD CDibImage::GetFormatCount() {
    return DIBIMAGE_FORMAT_SLOTS - 1;
}

DWORD CDibImage::GetIndexFromType(DWORD type) {
    switch (type) {
    case DIBIMAGE_TYPE_BMP:
        return 1;
    case DIBIMAGE_TYPE_JPG:
        return 2;
#ifdef DIBIMAGE_SUPPORT_PNG
    case DIBIMAGE_TYPE_PNG:
        return 3;
#endif
    default:
        return 0;
    }
}

DWORD CDibImage::GetTypeFromIndex(DWORD index) {
    switch (index) {
    case 1:
        return DIBIMAGE_TYPE_BMP;
    case 2:
        return DIBIMAGE_TYPE_JPG;
#ifdef DIBIMAGE_SUPPORT_PNG
    case 3:
        return DIBIMAGE_TYPE_PNG;
#endif
    default:
        return DIBIMAGE_TYPE_UNKNOWN;
    }
}

DWORD CDibImage::GetTypeFromExtension(const WCHAR* ext) {
    if (!ext)
        return DIBIMAGE_TYPE_UNKNOWN;
    char e[4] = {0, 0, 0, 0};
    for (int i = 0; i < 3 && ext[i]; ++i)
        e[i] = ext[i] < 128 ? static_cast<char>(std::tolower(static_cast<unsigned char>(ext[i])))
                            : '?';
    if (std::strcmp(e, "bmp") == 0)
        return DIBIMAGE_TYPE_BMP;
    if (std::strcmp(e, "jpg") == 0 || std::strcmp(e, "jpe") == 0 || std::strcmp(e, "jfi") == 0)
        return DIBIMAGE_TYPE_JPG;
#ifdef DIBIMAGE_SUPPORT_PNG
    if (std::strcmp(e, "png") == 0)
        return DIBIMAGE_TYPE_PNG;
#endif
    return DIBIMAGE_TYPE_UNKNOWN;
}

// ---- load and save

bool CDibImage::LoadFromFile(const WCHAR* path, DWORD type) {
    if (GetIndexFromType(type) != 0) {
        FILE* fp = DibOpenFile(path, "rb");
        if (!fp)
            return false;
        bool ok = Decode(fp, type);
        std::fclose(fp);
        if (ok)
            return true;
    }
    char typedError[sizeof(m_info.lastError)];
    std::memcpy(typedError, m_info.lastError, sizeof(typedError));
    FILE* fp = DibOpenFile(path, "rb");
    if (!fp)
        return false;
    bool ok = Decode(fp, DIBIMAGE_TYPE_UNKNOWN);
    std::fclose(fp);
    // The caller asked for one format: why that one failed tells more than "unknown format".
    if (!ok && type != DIBIMAGE_TYPE_UNKNOWN)
        std::memcpy(m_info.lastError, typedError, sizeof(typedError));
    return ok;
}

bool CDibImage::SaveToFile(const WCHAR* path, DWORD type, ms::StaleTemps stale) {
    // Refusals come before the file is opened, so that an existing file keeps its contents.
    if (!HasCodec(type)) {
        SetLastError("Encode: Unknown format");
        return false;
    }
    if (!m_dib) {
        SetLastError("null image!!!");
        return false;
    }
    if (type == DIBIMAGE_TYPE_JPG && HasPalette() && !(IsGrayScale() && GetBpp() == 8)) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    // The picture is written beside the target and renamed over it only when complete: a
    // full disk or a failed encode leaves an existing picture as it was, and nothing may take
    // a partial picture for a saved file.
    if (!path) {
        SetLastError("can't open the file for writing");
        return false;
    }
    ms::ReplacingFile file(path, stale);
    if (!file.Stream()) {
        SetLastError("can't open the file for writing");
        return false;
    }
    if (!Encode(file.Stream(), type))
        return false;
    if (!file.Commit()) {
        SetLastError("write error");
        return false;
    }
    return true;
}

bool CDibImage::Encode(FILE* stream, DWORD type) {
    CDibIOFile file(stream);
    return Encode(&file, type);
}

bool CDibImage::Encode(CDibFile* file, DWORD type) {
    switch (type) {
    case DIBIMAGE_TYPE_BMP:
        return EncodeWith<CDibImageBMP>(*this, file);
    case DIBIMAGE_TYPE_JPG:
        return EncodeWith<CDibImageJPG>(*this, file);
    default:
        if (const DibCodecEntry* codec = RegisteredDibCodec(type))
            return codec->encode(*this, file);
        SetLastError("Encode: Unknown format");
        return false;
    }
}

bool CDibImage::Encode(BYTE*& buffer, long& size, DWORD type) {
    return EncodeToBuffer(*this, buffer, size, [&](CDibFile* file) { return Encode(file, type); });
}

bool CDibImage::Encode(CDibFile*, CDibImage**, int, DWORD) {
    SetLastError("Multipage Encode, Unsupported operation for this format");
    return false;
}

bool CDibImage::EncodeToRGBA(CDibFile* file, bool bottomUp) {
    if (CheckBeforeEncode(file))
        return false;
    long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long i = 0; i < h; ++i) {
        long y = bottomUp ? i : h - 1 - i;
        for (long x = 0; x < w; ++x) {
            RGBQUAD c = GetPixelColorUnchecked(x, y, true);
            BYTE a = m_alpha ? c.rgbReserved : 255;
            if (!file->PutC(c.rgbRed) || !file->PutC(c.rgbGreen) || !file->PutC(c.rgbBlue) ||
                !file->PutC(a)) {
                SetLastError("write error");
                return false;
            }
        }
    }
    return true;
}

bool CDibImage::EncodeToRGBA(BYTE*& buffer, long& size, bool bottomUp) {
    return EncodeToBuffer(*this, buffer, size,
                          [&](CDibFile* file) { return EncodeToRGBA(file, bottomUp); });
}

bool CDibImage::Decode(FILE* stream, DWORD type) {
    CDibIOFile file(stream);
    return Decode(&file, type);
}

bool CDibImage::Decode(BYTE* buffer, DWORD size, DWORD type) {
    CDibMemFile file(buffer, size);
    return Decode(&file, type);
}

bool CDibImage::Decode(CDibFile* file, DWORD type) {
    if (!file) {
        SetLastError("null file handler");
        return false;
    }
    switch (type) {
    case DIBIMAGE_TYPE_BMP:
        return DecodeWith<CDibImageBMP>(*this, file);
    case DIBIMAGE_TYPE_JPG:
        return DecodeWith<CDibImageJPG>(*this, file);
    case DIBIMAGE_TYPE_UNKNOWN: {
        long start = file->Tell();
        if (DecodeWith<CDibImageBMP>(*this, file))
            return true;
        file->Seek(start, DIBFILE_SEEK_SET);
        if (DecodeWith<CDibImageJPG>(*this, file))
            return true;
        file->Seek(start, DIBFILE_SEEK_SET);
        for (DWORD t = 1; t <= static_cast<DWORD>(DIBIMAGE_FORMAT_SLOTS); ++t) {
            const DibCodecEntry* codec = RegisteredDibCodec(t);
            if (!codec)
                continue;
            if (codec->decode(*this, file))
                return true;
            file->Seek(start, DIBFILE_SEEK_SET);
        }
        break;
    }
    default:
        if (const DibCodecEntry* codec = RegisteredDibCodec(type))
            return codec->decode(*this, file);
        break;
    }
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool CDibImage::CheckFormat(CDibFile* file, DWORD type) {
    SetImageType(0);
    long escape = m_info.escape;
    m_info.escape = -1;
    Decode(file, DIBIMAGE_TYPE_UNKNOWN);
    m_info.escape = escape;
    return GetType() == type;
}

bool CDibImage::CheckFormat(BYTE* buffer, DWORD size, DWORD type) {
    if (!buffer || size == 0) {
        SetLastError("invalid or empty buffer");
        return false;
    }
    CDibMemFile file(buffer, size);
    return CheckFormat(&file, type);
}

bool CDibImage::CheckBeforeEncode(CDibFile* file) {
    if (!file) {
        SetLastError("null file handler");
        return true;
    }
    if (!m_dib) {
        SetLastError("null image!!!");
        return true;
    }
    return false;
}
