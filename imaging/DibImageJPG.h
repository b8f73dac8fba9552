// JPEG codec over libjpeg (6b API), and the reader and writer of JPEG marker sections with the
// EXIF block that the decoder takes the resolution from.
#pragma once

#include "imaging/DibImage.h"

// Camera data decoded from an EXIF block (and the frame header and comment of the file).
struct CDibExifData {
    char version[5];
    char cameraMake[32];
    char cameraModel[40];
    char dateTime[20];
    int height;
    int width;
    int orientation;
    int isColor;
    int process;
    int flashUsed;
    float focalLength;
    float exposureTime;
    float fNumber;
    float subjectDistance;
    float sensorWidth;
    float exposureBias;
    int lightSource;
    int meteringMode;
    int exposureProgram;
    int isoSpeed;
    int compressionLevel;
    float focalPlaneXRes;
    float focalPlaneYRes;
    float focalPlaneUnit;
    float xResolution;
    float yResolution;
    float resolutionUnit; // length of the unit in inches: value / unit = dots per inch
    float brightness;
    char comment[1000];
    const BYTE* thumbnail; // inside the reader's section data; cleared when that is freed
    unsigned thumbnailSize;
    bool isExif;
};

class CDibImageJPG : public CDibImage {
public:
    // Reads the marker sections of a JPEG stream and decodes its EXIF block; writes kept
    // sections back. Every offset and count of the block is checked against the section.
    class CDibExifInfo {
    public:
        enum { READ_EXIF = 1, READ_IMAGE = 2 };
        static constexpr int MAX_SECTIONS = 20;
        static constexpr int PSEUDO_IMAGE_MARKER = 0x123;
        struct Section {
            BYTE* data; // starts with the two length bytes
            int marker;
            unsigned size;
        };

        explicit CDibExifInfo(CDibExifData* record = nullptr);
        ~CDibExifInfo();
        CDibExifInfo(const CDibExifInfo&) = delete;
        CDibExifInfo& operator=(const CDibExifInfo&) = delete;

        bool ReadSections(CDibFile* file, int mode);
        bool ProcessExif(const BYTE* block, unsigned length);
        double ReadNumber(const BYTE* value, int format) const;
        void ProcessComment(const BYTE* section, unsigned length);
        void ProcessFrameHeader(const BYTE* section, unsigned length, int marker);
        void DiscardNonExifSections();
        Section* FindSection(int marker);
        bool WriteSections(CDibFile* file);

        const char* GetLastErrorText() const { return m_lastError; }
        int GetSectionCount() const { return m_sectionCount; }
        const CDibExifData* GetRecord() const { return m_record; }

    private:
        bool ProcessDirectory(unsigned dirOffset, const BYTE* tiff, unsigned tiffLength,
                              int nesting);
        int Read16(const BYTE* p) const;
        long Read32(const BYTE* p) const;
        unsigned long ReadUnsigned32(const BYTE* p) const {
            return static_cast<unsigned long>(Read32(p)) & 0xFFFFFFFFul;
        }
        void SetError(const char* text);
        void FreeSection(int index);

        CDibExifData* m_record;
        char m_lastError[256];
        long m_exifImageWidth;
        bool m_bigEndian;
        Section m_sections[MAX_SECTIONS];
        int m_sectionCount;
        bool m_ownsRecord;
        int m_directoriesWalked;
        bool m_commentDone;
        // As the tags hold them: signed, so that a negative value is seen before it is used.
        long long m_thumbOffset;
        long long m_thumbSize;
    };

    CDibImageJPG();
    ~CDibImageJPG() override;
    CDibImageJPG(const CDibImageJPG&) = delete;
    CDibImageJPG& operator=(const CDibImageJPG&) = delete;

    bool Decode(CDibFile* file);
    bool Encode(CDibFile* file);
    bool Decode(FILE* stream);
    bool Encode(FILE* stream);
    // Reads the marker sections in EXIF mode and seeks back; true when an EXIF block was found.
    bool DecodeExif(CDibFile* file);
    bool DecodeExif(FILE* stream);

    const CDibExifData& GetExifData() const { return m_exifData; }

    // Smoothing factor (encoding option 0x40) and dither mode (decoding option 0x200).
    int m_smoothing = 0;
    int m_ditherMode = 0;

private:
    CDibExifInfo* m_exif;
    CDibExifData m_exifData;
};
