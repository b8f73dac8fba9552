// Marker sections of JPEG files and the EXIF block. Everything read from the file is checked
// against the section it came from, in 64-bit arithmetic; end of file ends the reading.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imaging/DibImageJPG.h"

namespace {

constexpr int kBytesPerFormat[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
// Directories one block may hold, links and sub-directories included; a crafted block that
// links its directories to each other ends here instead of walking for minutes.
constexpr int kMaxDirectories = 64;

enum : int {
    M_SOF0 = 0xC0,
    M_SOF15 = 0xCF,
    M_DHT = 0xC4,
    M_JPG = 0xC8,
    M_DAC = 0xCC,
    M_SOS = 0xDA,
    M_EOI = 0xD9,
    M_JFIF = 0xE0,
    M_EXIF = 0xE1,
    M_COM = 0xFE
};

bool IsFrameMarker(int m) {
    return m >= M_SOF0 && m <= M_SOF15 && m != M_DHT && m != M_JPG && m != M_DAC;
}

float UnitFactor(int unit, float old) {
    switch (unit) {
    case 1:
    case 2:
        return 1.0f;
    case 3:
        return 0.3937008f;
    case 4:
        return 0.03937008f;
    case 5:
        return 0.00003937008f;
    default:
        return old;
    }
}

// Copies at most max characters of a value of length bytes, terminated.
void CopyText(char* dst, size_t dstSize, const BYTE* src, unsigned long long length, size_t max) {
    size_t n = length < max ? static_cast<size_t>(length) : max;
    if (n >= dstSize)
        n = dstSize - 1;
    std::memcpy(dst, src, n);
    dst[n] = 0;
}

float ToFloat(double v) {
    if (std::isnan(v))
        return 0.0f;
    if (v > 3.0e38)
        return 3.0e38f;
    if (v < -3.0e38)
        return -3.0e38f;
    return static_cast<float>(v);
}

int ToInt(double v) {
    if (!(v > -2147483648.0 && v < 2147483647.0))
        return 0;
    return static_cast<int>(v);
}

} // namespace

using ExifInfo = CDibImageJPG::CDibExifInfo;

ExifInfo::CDibExifInfo(CDibExifData* record)
    : m_record(record), m_exifImageWidth(0), m_bigEndian(false), m_sectionCount(0),
      m_ownsRecord(false), m_directoriesWalked(0), m_commentDone(false), m_thumbOffset(0),
      m_thumbSize(0) {
    m_lastError[0] = 0;
    std::memset(m_sections, 0, sizeof(m_sections));
    if (!m_record) {
        m_record = static_cast<CDibExifData*>(std::calloc(1, sizeof(CDibExifData)));
        m_ownsRecord = m_record != nullptr;
    }
}

ExifInfo::~CDibExifInfo() {
    for (int i = 0; i < MAX_SECTIONS; ++i)
        FreeSection(i);
    if (m_ownsRecord)
        std::free(m_record);
}

void ExifInfo::SetError(const char* text) {
    std::strncpy(m_lastError, text, sizeof(m_lastError) - 1);
    m_lastError[sizeof(m_lastError) - 1] = 0;
}

void ExifInfo::FreeSection(int i) {
    Section& s = m_sections[i];
    if (!s.data)
        return;
    // The thumbnail lies inside a section: it must not outlive it.
    if (m_record && m_record->thumbnail && m_record->thumbnail >= s.data &&
        m_record->thumbnail < s.data + s.size) {
        m_record->thumbnail = nullptr;
        m_record->thumbnailSize = 0;
    }
    std::free(s.data);
    s.data = nullptr;
    s.size = 0;
    s.marker = 0;
}

int ExifInfo::Read16(const BYTE* p) const {
    return m_bigEndian ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0];
}

long ExifInfo::Read32(const BYTE* p) const {
    DWORD v = m_bigEndian ? (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) |
                                (static_cast<DWORD>(p[2]) << 8) | p[3]
                          : (static_cast<DWORD>(p[3]) << 24) | (static_cast<DWORD>(p[2]) << 16) |
                                (static_cast<DWORD>(p[1]) << 8) | p[0];
    return static_cast<int32_t>(v);
}

bool ExifInfo::ReadSections(CDibFile* file, int mode) {
    if (!file || !m_record)
        return false;
    if (file->GetC() != 0xFF || file->GetC() != 0xD8)
        return false;
    while (m_sectionCount < MAX_SECTIONS) {
        long marker = 0;
        for (int a = 0; a < 7; ++a) {
            marker = file->GetC();
            if (marker != 0xFF)
                break;
            if (a >= 6)
                return false; // too many padding bytes
        }
        if (marker < 0)
            return false; // end of file
        long lh = file->GetC(), ll = file->GetC();
        if (lh < 0 || ll < 0)
            return false;
        unsigned length = static_cast<unsigned>((lh << 8) | ll);
        if (length < 2) {
            SetError("invalid marker");
            return false;
        }
        BYTE* data = static_cast<BYTE*>(std::malloc(length));
        if (!data) {
            SetError("Could not allocate memory");
            return false;
        }
        data[0] = static_cast<BYTE>(lh);
        data[1] = static_cast<BYTE>(ll);
        if (file->Read(data + 2, 1, length - 2) != length - 2) {
            std::free(data);
            SetError("Premature end of file?");
            return false;
        }
        int index = m_sectionCount++;
        m_sections[index] = Section{data, static_cast<int>(marker), length};

        switch (marker) {
        case M_SOS:
            if (mode & READ_IMAGE) {
                if (m_sectionCount >= MAX_SECTIONS) {
                    SetError("Too many sections in jpg file");
                    return false;
                }
                long pos = file->Tell();
                file->Seek(0, DIBFILE_SEEK_END);
                long rest = file->Tell() - pos;
                file->Seek(pos, DIBFILE_SEEK_SET);
                if (rest <= 0 || static_cast<unsigned long long>(rest) > 0xFFFFFFFFull) {
                    SetError("could not read the rest of the image");
                    return false;
                }
                BYTE* image = static_cast<BYTE*>(std::malloc(static_cast<size_t>(rest)));
                if (!image) {
                    SetError("could not allocate data for entire image");
                    return false;
                }
                if (file->Read(image, 1, static_cast<size_t>(rest)) != static_cast<size_t>(rest)) {
                    std::free(image);
                    SetError("could not read the rest of the image");
                    return false;
                }
                m_sections[m_sectionCount++] =
                    Section{image, PSEUDO_IMAGE_MARKER, static_cast<unsigned>(rest)};
            }
            return true;
        case M_EOI:
            return false; // no image in the file
        case M_JFIF:
            FreeSection(index);
            --m_sectionCount;
            break;
        case M_EXIF:
            if ((mode & READ_EXIF) && length >= 6 && std::memcmp(data + 2, "Exif", 4) == 0) {
                m_record->isExif = ProcessExif(data + 2, length);
            } else {
                FreeSection(index);
                --m_sectionCount;
            }
            break;
        case M_COM:
            if ((mode & READ_EXIF) && !m_commentDone) {
                ProcessComment(data, length);
                m_commentDone = true;
            } else {
                FreeSection(index);
                --m_sectionCount;
            }
            break;
        default:
            if (IsFrameMarker(static_cast<int>(marker)))
                ProcessFrameHeader(data, length, static_cast<int>(marker));
            break;
        }
    }
    SetError("Too many sections in jpg file");
    return false;
}

bool ExifInfo::ProcessExif(const BYTE* block, unsigned length) {
    m_record->flashUsed = 0;
    m_record->comment[0] = 0;
    m_exifImageWidth = 0;
    m_directoriesWalked = 0;
    m_thumbOffset = m_thumbSize = 0;
    // block holds length - 2 bytes: "Exif\0\0", then the TIFF data.
    if (length < 8 || std::memcmp(block, "Exif\0\0", 6) != 0) {
        SetError("Incorrect Exif header");
        return false;
    }
    const unsigned tiffLength = length - 8;
    const BYTE* tiff = block + 6;
    if (tiffLength < 8) {
        SetError("Invalid Exif alignment marker.");
        return false;
    }
    if (std::memcmp(tiff, "II", 2) == 0)
        m_bigEndian = false;
    else if (std::memcmp(tiff, "MM", 2) == 0)
        m_bigEndian = true;
    else {
        SetError("Invalid Exif alignment marker.");
        return false;
    }
    if (Read16(tiff + 2) != 0x2A) {
        SetError("Invalid Exif start (1)");
        return false;
    }
    if (!ProcessDirectory(8, tiff, tiffLength, 0))
        return false;
    unsigned long first = ReadUnsigned32(tiff + 4);
    if (first > 8 && first < tiffLength &&
        !ProcessDirectory(static_cast<unsigned>(first), tiff, tiffLength, 0))
        return false;
    if (m_record->focalPlaneXRes != 0)
        m_record->sensorWidth = ToFloat(static_cast<double>(m_exifImageWidth) *
                                        m_record->focalPlaneUnit / m_record->focalPlaneXRes);
    return true;
}

bool ExifInfo::ProcessDirectory(unsigned dirOffset, const BYTE* tiff, unsigned tiffLength,
                                int nesting) {
    if (nesting > 4) {
        SetError("Maximum directory nesting exceeded (corrupt exif header)");
        return false;
    }
    if (++m_directoriesWalked > kMaxDirectories) {
        SetError("Illegally sized directory");
        return false;
    }
    if (static_cast<unsigned long long>(dirOffset) + 2 > tiffLength) {
        SetError("Illegally sized directory");
        return false;
    }
    const BYTE* dir = tiff + dirOffset;
    const unsigned entries = static_cast<unsigned>(Read16(dir));
    if (static_cast<unsigned long long>(dirOffset) + 2 + 12ull * entries > tiffLength) {
        SetError("Illegally sized directory");
        return false;
    }
    CDibExifData& r = *m_record;
    for (unsigned de = 0; de < entries; ++de) {
        const BYTE* entry = dir + 2 + 12 * de;
        const int tag = Read16(entry);
        const int format = Read16(entry + 2);
        const unsigned long components = ReadUnsigned32(entry + 4);
        if (format < 1 || format > 12) {
            SetError("Illegal format code in EXIF dir");
            return false;
        }
        const unsigned long long byteCount =
            static_cast<unsigned long long>(components) * kBytesPerFormat[format];
        const BYTE* value;
        if (byteCount > 4) {
            unsigned long long offset = ReadUnsigned32(entry + 8);
            if (offset + byteCount > tiffLength) {
                SetError("Illegal pointer offset value in EXIF.");
                return false;
            }
            value = tiff + offset;
        } else {
            value = entry + 8;
        }
        // An entry without components has no value to read.
        if (components == 0)
            continue;

        switch (tag) {
        case 0x010F:
            CopyText(r.cameraMake, sizeof(r.cameraMake), value, byteCount, 31);
            break;
        case 0x0110:
            CopyText(r.cameraModel, sizeof(r.cameraModel), value, byteCount, 39);
            break;
        case 0x9003:
            CopyText(r.dateTime, sizeof(r.dateTime), value, byteCount, 19);
            break;
        case 0x9000:
            CopyText(r.version, sizeof(r.version), value, byteCount, 4);
            break;
        case 0x9286: {
            unsigned long long n = byteCount;
            while (n > 0 && (value[n - 1] == ' ' || value[n - 1] == 0))
                --n;
            if (n >= 5 && std::memcmp(value, "ASCII", 5) == 0) {
                for (unsigned long long a = 5; a < 10 && a < n; ++a) {
                    if (value[a] != 0 && value[a] != ' ') {
                        CopyText(r.comment, sizeof(r.comment), value + a, n - a, 199);
                        break;
                    }
                }
            } else {
                CopyText(r.comment, sizeof(r.comment), value, n, 199);
            }
            break;
        }
        case 0x0112: {
            int o = ToInt(ReadNumber(value, format));
            if (o < 1 || o > 8) {
                SetError("Undefined rotation value");
                o = 0;
            }
            r.orientation = o;
            break;
        }
        case 0x829D:
            r.fNumber = ToFloat(ReadNumber(value, format));
            break;
        case 0x9202:
        case 0x9205:
            if (r.fNumber == 0)
                r.fNumber = ToFloat(std::exp(ReadNumber(value, format) * std::log(2.0) * 0.5));
            break;
        case 0x920A:
            r.focalLength = ToFloat(ReadNumber(value, format));
            break;
        case 0x9206:
            r.subjectDistance = ToFloat(ReadNumber(value, format));
            break;
        case 0x829A:
            r.exposureTime = ToFloat(ReadNumber(value, format));
            break;
        case 0x9201:
            if (r.exposureTime == 0)
                r.exposureTime = ToFloat(1.0 / std::exp(ReadNumber(value, format) * std::log(2.0)));
            break;
        case 0x9209:
            r.flashUsed = (ToInt(ReadNumber(value, format)) & 7) ? 1 : 0;
            break;
        case 0xA002:
        case 0xA003: {
            long w = ToInt(ReadNumber(value, format));
            if (w > m_exifImageWidth)
                m_exifImageWidth = w;
            break;
        }
        case 0xA20E:
            r.focalPlaneXRes = ToFloat(ReadNumber(value, format));
            break;
        case 0xA20F:
            r.focalPlaneYRes = ToFloat(ReadNumber(value, format));
            break;
        case 0xA210:
            r.focalPlaneUnit = UnitFactor(ToInt(ReadNumber(value, format)), r.focalPlaneUnit);
            break;
        case 0x011A:
            r.xResolution = ToFloat(ReadNumber(value, format));
            break;
        case 0x011B:
            r.yResolution = ToFloat(ReadNumber(value, format));
            break;
        case 0x0128:
            r.resolutionUnit = UnitFactor(ToInt(ReadNumber(value, format)), r.resolutionUnit);
            break;
        case 0x9204:
            r.exposureBias = ToFloat(ReadNumber(value, format));
            break;
        case 0x9208:
            r.lightSource = ToInt(ReadNumber(value, format));
            break;
        case 0x9207:
            r.meteringMode = ToInt(ReadNumber(value, format));
            break;
        case 0x8822:
            r.exposureProgram = ToInt(ReadNumber(value, format));
            break;
        case 0x8827: {
            int iso = ToInt(ReadNumber(value, format));
            // Old cameras store a gain step below 50; a negative value from a broken block
            // must not overflow the scaling.
            r.isoSpeed = iso < 50 ? ToInt(iso * 200.0) : iso;
            break;
        }
        case 0x9102:
            r.compressionLevel = ToInt(ReadNumber(value, format));
            break;
        case 0x9203:
            r.brightness = ToFloat(ReadNumber(value, format));
            break;
        case 0x0201:
            m_thumbOffset = ToInt(ReadNumber(value, format));
            break;
        case 0x0202:
            m_thumbSize = ToInt(ReadNumber(value, format));
            break;
        default:
            break;
        }

        if (tag == 0x8769 || tag == 0xA005) {
            unsigned long sub = ReadUnsigned32(value);
            if (byteCount >= 4 && sub > 8) {
                if (sub >= tiffLength) {
                    SetError("Illegal subdirectory link");
                    return false;
                }
                ProcessDirectory(static_cast<unsigned>(sub), tiff, tiffLength, nesting + 1);
            }
        }
    }

    // The link to the next directory follows the entries, when it fits in the data.
    unsigned long long linkAt = static_cast<unsigned long long>(dirOffset) + 2 + 12ull * entries;
    if (linkAt + 4 <= tiffLength) {
        unsigned long link = ReadUnsigned32(tiff + linkAt);
        if (link) {
            if (link >= tiffLength) {
                SetError("Illegal subdirectory link");
                return false;
            }
            ProcessDirectory(static_cast<unsigned>(link), tiff, tiffLength, nesting + 1);
        }
    }

    // Checked in signed 64-bit arithmetic before anything becomes a pointer or a size: a
    // negative offset or length is a bad thumbnail, dropped without the rest of the record.
    if (m_thumbOffset > 0 && m_thumbSize > 0 && m_thumbOffset + m_thumbSize <= tiffLength) {
        r.thumbnail = tiff + m_thumbOffset;
        r.thumbnailSize = static_cast<unsigned>(m_thumbSize);
    }
    return true;
}

double ExifInfo::ReadNumber(const BYTE* v, int format) const {
    switch (format) {
    case 1:
        return v[0];
    case 3:
        return static_cast<double>(static_cast<unsigned>(Read16(v)));
    case 4:
        return static_cast<double>(ReadUnsigned32(v));
    case 5: {
        double num = static_cast<double>(ReadUnsigned32(v)),
               den = static_cast<double>(ReadUnsigned32(v + 4));
        return den == 0 ? 0 : num / den;
    }
    case 10: {
        double num = static_cast<double>(Read32(v)), den = static_cast<double>(Read32(v + 4));
        return den == 0 ? 0 : num / den;
    }
    case 6:
        return static_cast<signed char>(v[0]);
    case 8:
        return static_cast<short>(Read16(v));
    case 9:
        return static_cast<double>(Read32(v));
    case 11: {
        float f;
        std::memcpy(&f, v, sizeof(f));
        return f;
    }
    case 12: {
        double d;
        std::memcpy(&d, v, sizeof(d));
        return d;
    }
    default:
        return 0;
    }
}

void ExifInfo::ProcessComment(const BYTE* section, unsigned length) {
    if (length > 1000)
        length = 1000;
    char* text = m_record->comment; // 1000 bytes: at most 998 characters and the terminator
    size_t n = 0;
    for (unsigned a = 2; a < length; ++a) {
        BYTE ch = section[a];
        if (ch == '\r' && a + 1 < length && section[a + 1] == '\n')
            continue;
        text[n++] =
            (ch >= 32 || ch == '\n' || ch == '\t') && ch < 127 ? static_cast<char>(ch) : '?';
    }
    text[n] = 0;
}

void ExifInfo::ProcessFrameHeader(const BYTE* section, unsigned length, int marker) {
    if (length < 8)
        return;
    m_record->height = (section[3] << 8) | section[4];
    m_record->width = (section[5] << 8) | section[6];
    m_record->isColor = section[7] == 3 ? 1 : 0;
    m_record->process = marker;
}

void ExifInfo::DiscardNonExifSections() {
    int exif = -1, comment = -1;
    for (int i = 0; i < m_sectionCount; ++i) {
        if (m_sections[i].marker == M_EXIF && exif < 0)
            exif = i;
        else if (m_sections[i].marker == M_COM && comment < 0)
            comment = i;
    }
    Section keep[2];
    int kept = 0;
    if (exif >= 0) {
        keep[kept++] = m_sections[exif];
        m_sections[exif].data = nullptr;
    }
    if (comment >= 0) {
        keep[kept++] = m_sections[comment];
        m_sections[comment].data = nullptr;
    }
    for (int i = 0; i < MAX_SECTIONS; ++i)
        FreeSection(i);
    for (int i = 0; i < kept; ++i)
        m_sections[i] = keep[i];
    m_sectionCount = kept;
}

ExifInfo::Section* ExifInfo::FindSection(int marker) {
    for (int i = 0; i < m_sectionCount - 1; ++i)
        if (m_sections[i].marker == marker)
            return &m_sections[i];
    return nullptr;
}

bool ExifInfo::WriteSections(CDibFile* file) {
    if (!file || !FindSection(M_SOS)) {
        SetError("Can't write exif : didn't read all");
        return false;
    }
    bool ok = file->PutC(0xFF) && file->PutC(0xD8);
    if (m_sections[0].marker != M_EXIF && m_sections[0].marker != M_JFIF) {
        static const BYTE jfif[18] = {0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                                      0x01, 0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};
        ok = ok && file->Write(jfif, 18, 1) == 1;
    }
    for (int i = 0; ok && i < m_sectionCount - 1; ++i)
        ok = file->PutC(0xFF) && file->PutC(static_cast<unsigned char>(m_sections[i].marker)) &&
             file->Write(m_sections[i].data, m_sections[i].size, 1) == 1;
    const Section& last = m_sections[m_sectionCount - 1];
    ok = ok && file->Write(last.data, last.size, 1) == 1;
    if (!ok)
        SetError("Can't write exif : write error");
    return ok;
}
