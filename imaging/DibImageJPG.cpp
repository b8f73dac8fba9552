// JPEG codec. libjpeg reports errors by jumping back to the trap set in Decode and Encode; the
// trap destroys the libjpeg object and frees the transfer buffer, so nothing stays half-built.
#include "imaging/DibImageJPG.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr size_t kTransferSize = 4096;
// Work memory libjpeg may take for one picture (progressive files keep every coefficient).
constexpr long kJpegMaxMemory = 768L * 1024 * 1024;

// One record serves libjpeg as destination and as source manager.
struct JpegFileAdapter {
    jpeg_destination_mgr dest;
    jpeg_source_mgr src;
    CDibFile* file;
    JOCTET* buffer;
    bool startOfFile;
};

struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf trap;
    char* errorText; // the image's last-error buffer (256 bytes)
};

JpegFileAdapter* AdapterOf(j_compress_ptr cinfo) {
    return reinterpret_cast<JpegFileAdapter*>(reinterpret_cast<char*>(cinfo->dest) -
                                              offsetof(JpegFileAdapter, dest));
}
JpegFileAdapter* AdapterOf(j_decompress_ptr cinfo) {
    return reinterpret_cast<JpegFileAdapter*>(reinterpret_cast<char*>(cinfo->src) -
                                              offsetof(JpegFileAdapter, src));
}

void InitDestination(j_compress_ptr cinfo) {
    JpegFileAdapter* a = AdapterOf(cinfo);
    a->dest.next_output_byte = a->buffer;
    a->dest.free_in_buffer = kTransferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    JpegFileAdapter* a = AdapterOf(cinfo);
    if (a->file->Write(a->buffer, 1, kTransferSize) != kTransferSize)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    a->dest.next_output_byte = a->buffer;
    a->dest.free_in_buffer = kTransferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    JpegFileAdapter* a = AdapterOf(cinfo);
    size_t n = kTransferSize - a->dest.free_in_buffer;
    if (n > 0 && a->file->Write(a->buffer, 1, n) != n)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    a->file->Flush();
    if (a->file->Error())
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

void InitSource(j_decompress_ptr cinfo) {
    AdapterOf(cinfo)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    JpegFileAdapter* a = AdapterOf(cinfo);
    size_t n = a->file->Read(a->buffer, 1, kTransferSize);
    if (n == 0) {
        if (a->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A fake end-of-image marker lets libjpeg finish a truncated file.
        a->buffer[0] = 0xFF;
        a->buffer[1] = JPEG_EOI;
        n = 2;
    }
    a->src.next_input_byte = a->buffer;
    a->src.bytes_in_buffer = n;
    a->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long n) {
    JpegFileAdapter* a = AdapterOf(cinfo);
    if (n <= 0)
        return;
    while (n > static_cast<long>(a->src.bytes_in_buffer)) {
        n -= static_cast<long>(a->src.bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    a->src.next_input_byte += n;
    a->src.bytes_in_buffer -= static_cast<size_t>(n);
}

void TermSource(j_decompress_ptr) {}

void JpegErrorExit(j_common_ptr cinfo) {
    JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    std::strncpy(err->errorText, text, 255);
    err->errorText[255] = 0;
    std::longjmp(err->trap, 1);
}

// Warnings (a missing end of file) are not errors, and the programs have no console.
void JpegOutputMessage(j_common_ptr) {}

// The transfer buffer over file and the error manager that reports into the image's last-error
// text; the caller still sets the trap. False, with the reason on the image, without a buffer.
bool PrepareSession(CDibImage& image, CDibFile* file, JpegFileAdapter& adapter,
                    JpegErrorManager& jerr) {
    std::memset(&adapter, 0, sizeof(adapter));
    adapter.file = file;
    adapter.buffer = static_cast<JOCTET*>(std::malloc(kTransferSize));
    if (!adapter.buffer) {
        image.SetLastError("can't allocate memory");
        return false;
    }
    jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = JpegErrorExit;
    jerr.pub.output_message = JpegOutputMessage;
    jerr.errorText = image.GetLastErrorText();
    return true;
}

// Dots per inch from a float quotient, truncated; anything unusable gives 0 (SetDpi makes 96).
long ToDpi(double v) {
    return (v >= 1.0 && v < 1.0e7) ? static_cast<long>(v) : 0;
}

} // namespace

CDibImageJPG::CDibImageJPG() : CDibImage(DIBIMAGE_TYPE_JPG), m_exif(nullptr) {
    std::memset(&m_exifData, 0, sizeof(m_exifData));
}

CDibImageJPG::~CDibImageJPG() {
    delete m_exif;
}

bool CDibImageJPG::Decode(FILE* stream) {
    CDibIOFile file(stream);
    return Decode(&file);
}

bool CDibImageJPG::Encode(FILE* stream) {
    CDibIOFile file(stream);
    return Encode(&file);
}

bool CDibImageJPG::DecodeExif(FILE* stream) {
    CDibIOFile file(stream);
    return DecodeExif(&file);
}

bool CDibImageJPG::DecodeExif(CDibFile* file) {
    delete m_exif;
    std::memset(&m_exifData, 0, sizeof(m_exifData));
    m_exif = new CDibExifInfo(&m_exifData);
    long pos = file->Tell();
    m_exif->ReadSections(file, CDibExifInfo::READ_EXIF);
    file->Seek(pos, DIBFILE_SEEK_SET);
    return m_exifData.isExif;
}

bool CDibImageJPG::Decode(CDibFile* file) {
    if (!file)
        return false;
    const bool haveExif = DecodeExif(file);

    jpeg_decompress_struct cinfo;
    JpegErrorManager jerr;
    JpegFileAdapter adapter;
    if (!PrepareSession(*this, file, adapter, jerr))
        return false;
    cinfo.err = &jerr.pub;
    if (setjmp(jerr.trap)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(adapter.buffer);
        Destroy();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kJpegMaxMemory;
    adapter.src.init_source = InitSource;
    adapter.src.fill_input_buffer = FillInputBuffer;
    adapter.src.skip_input_data = SkipInputData;
    adapter.src.resync_to_restart = jpeg_resync_to_restart;
    adapter.src.term_source = TermSource;
    cinfo.src = &adapter.src;
    jpeg_read_header(&cinfo, TRUE);

    const DWORD options = GetCodecOption(DIBIMAGE_TYPE_JPG);
    if (options & 0x80)
        cinfo.out_color_space = JCS_GRAYSCALE;
    if (options & 0x100) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = GetJpegLevel() < 2 ? 2 : GetJpegLevel();
    }
    if (options & 0x200)
        cinfo.dither_mode =
            static_cast<J_DITHER_MODE>(m_ditherMode >= 0 && m_ditherMode <= 2 ? m_ditherMode : 0);
    if (options & 0x400)
        cinfo.two_pass_quantize = FALSE;
    if (options & 0x800)
        cinfo.do_fancy_upsampling = FALSE;
    if (GetJpegScale() > 0)
        cinfo.scale_denom = GetJpegScale();

    // libjpeg hands over blue-green-red rows itself: no copy and no swap per row.
    const bool directBgr = !cinfo.quantize_colors && cinfo.out_color_space == JCS_RGB;
    if (directBgr)
        cinfo.out_color_space = JCS_EXT_BGR;

    jpeg_calc_output_dimensions(&cinfo);
    if (GetEscape() == -1) {
        m_header.biWidth = static_cast<LONG>(cinfo.output_width);
        m_header.biHeight = static_cast<LONG>(cinfo.output_height);
        m_info.type = DIBIMAGE_TYPE_JPG;
        jpeg_destroy_decompress(&cinfo);
        std::free(adapter.buffer);
        return true;
    }
    // Refuse a picture too large for an image before libjpeg allocates for it.
    if (static_cast<unsigned long long>(cinfo.output_width) * cinfo.output_height *
            cinfo.output_components >
        DIBIMAGE_MAX_MEMORY) {
        SetLastError("DIBIMAGE_MAX_MEMORY exceeded");
        std::longjmp(jerr.trap, 1);
    }

    jpeg_start_decompress(&cinfo);
    if (!Create(cinfo.output_width, cinfo.output_height,
                8 * static_cast<DWORD>(cinfo.output_components), DIBIMAGE_TYPE_JPG))
        std::longjmp(jerr.trap, 1);

    if (haveExif) {
        if (m_exifData.xResolution != 0 && m_exifData.resolutionUnit != 0)
            SetDpiX(ToDpi(static_cast<double>(m_exifData.xResolution / m_exifData.resolutionUnit)));
        if (m_exifData.yResolution != 0 && m_exifData.resolutionUnit != 0)
            SetDpiY(ToDpi(static_cast<double>(m_exifData.yResolution / m_exifData.resolutionUnit)));
    } else if (cinfo.density_unit == 2) {
        SetDpiX(static_cast<long>(cinfo.X_density * 2.54 + 0.5));
        SetDpiY(static_cast<long>(cinfo.Y_density * 2.54 + 0.5));
    } else if (cinfo.density_unit == 0) {
        if (cinfo.X_density && cinfo.Y_density)
            SetDpiY(static_cast<long>(static_cast<double>(GetDpiX()) * cinfo.Y_density /
                                      cinfo.X_density));
    } else {
        SetDpiX(cinfo.X_density);
        SetDpiY(cinfo.Y_density);
    }

    if (cinfo.quantize_colors) {
        int n = cinfo.actual_number_of_colors;
        for (int i = 0; i < n && i < 256; ++i) {
            BYTE v0 = cinfo.colormap[0][i];
            if (cinfo.out_color_components >= 3)
                SetPaletteColor(static_cast<BYTE>(i), v0, cinfo.colormap[1][i],
                                cinfo.colormap[2][i]);
            else
                SetPaletteColor(static_cast<BYTE>(i), v0, v0, v0);
        }
        SetClrImportant(static_cast<DWORD>(n));
    } else if (cinfo.out_color_space == JCS_GRAYSCALE) {
        SetGrayPalette();
    }

    const DWORD height = GetHeight();
    const size_t rowBytes =
        static_cast<size_t>(cinfo.output_width) * static_cast<size_t>(cinfo.output_components);
    JSAMPARRAY sample = nullptr;
    if (!directBgr)
        sample = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                            static_cast<JDIMENSION>(rowBytes), 1);
    // Rows arrive top first; stored rows run from the bottom.
    while (cinfo.output_scanline < cinfo.output_height) {
        if (GetEscape())
            std::longjmp(jerr.trap, 1);
        BYTE* dst = GetBits(height - 1 - cinfo.output_scanline);
        if (directBgr) {
            JSAMPROW row = dst;
            jpeg_read_scanlines(&cinfo, &row, 1);
            continue;
        }
        jpeg_read_scanlines(&cinfo, sample, 1);
        const BYTE* src = sample[0];
        if (cinfo.output_components == 4 && !cinfo.quantize_colors) {
            // CMYK as Adobe stores it (inverted): each channel times k.
            const size_t stride = GetRowStride();
            for (size_t s = 0, d = 0; s + 3 < rowBytes && d + 2 < stride; s += 4, d += 3) {
                unsigned k = src[s + 3];
                dst[d] = static_cast<BYTE>(src[s + 2] * k / 255);
                dst[d + 1] = static_cast<BYTE>(src[s + 1] * k / 255);
                dst[d + 2] = static_cast<BYTE>(src[s] * k / 255);
            }
        } else {
            std::memcpy(dst, src, rowBytes < GetRowStride() ? rowBytes : GetRowStride());
        }
    }
    jpeg_finish_decompress(&cinfo);
    if (!directBgr && cinfo.output_components == 3 && !cinfo.quantize_colors) {
        for (DWORD y = 0; y < height; ++y)
            SwapRedBlueInRow(GetBits(y), static_cast<long>(GetWidth()) * 3);
    }
    jpeg_destroy_decompress(&cinfo);
    std::free(adapter.buffer);
    return true;
}

bool CDibImageJPG::Encode(CDibFile* file) {
    if (CheckBeforeEncode(file))
        return false;
    // Gray needs 8 bits per pixel with the gray ramp; packed 1- and 4-bit rows are not samples.
    const bool gray = HasPalette() && IsGrayScale() && GetBpp() == 8;
    if (HasPalette() && !gray) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    const long pos = file->Tell();

    jpeg_compress_struct cinfo;
    JpegErrorManager jerr;
    JpegFileAdapter adapter;
    if (!PrepareSession(*this, file, adapter, jerr))
        return false;
    cinfo.err = &jerr.pub;
    if (setjmp(jerr.trap)) {
        jpeg_destroy_compress(&cinfo);
        std::free(adapter.buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    adapter.dest.init_destination = InitDestination;
    adapter.dest.empty_output_buffer = EmptyOutputBuffer;
    adapter.dest.term_destination = TermDestination;
    cinfo.dest = &adapter.dest;
    cinfo.image_width = GetWidth();
    cinfo.image_height = GetHeight();
    if (gray) {
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
    } else {
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
    }
    jpeg_set_defaults(&cinfo);
    // The rows are blue-green-red already; libjpeg reads them so without a swapped copy.
    if (!gray)
        cinfo.in_color_space = JCS_EXT_BGR;

    const DWORD options = GetCodecOption(DIBIMAGE_TYPE_JPG);
    if (options & 0x2)
        cinfo.arith_code = TRUE;
    if (options & 0x4)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    if (options & 0x8)
        cinfo.optimize_coding = TRUE;
    if (options & 0x10)
        jpeg_simple_progression(&cinfo);
    if (options & 0x40)
        cinfo.smoothing_factor = m_smoothing >= 0 && m_smoothing <= 100 ? m_smoothing : 0;
    int quality = GetJpegLevel();
    jpeg_set_quality(&cinfo, quality > 100 ? 100 : quality, (options & 0x1) ? TRUE : FALSE);
    if (cinfo.num_components == 3) {
        if (options & 0x2000) {
            cinfo.comp_info[0].h_samp_factor = 1;
            cinfo.comp_info[0].v_samp_factor = 1;
        } else if (options & 0x1000) {
            cinfo.comp_info[0].h_samp_factor = 2;
            cinfo.comp_info[0].v_samp_factor = 1;
        } else {
            cinfo.comp_info[0].h_samp_factor = 2;
            cinfo.comp_info[0].v_samp_factor = 2;
        }
        for (int c = 1; c < 3; ++c) {
            cinfo.comp_info[c].h_samp_factor = 1;
            cinfo.comp_info[c].v_samp_factor = 1;
        }
    }
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(GetDpiX() > 65535 ? 65535 : GetDpiX());
    cinfo.Y_density = static_cast<UINT16>(GetDpiY() > 65535 ? 65535 : GetDpiY());

    jpeg_start_compress(&cinfo, TRUE);
    // Rows go out top first: from the last stored row down.
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = GetBits(GetHeight() - 1 - cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::free(adapter.buffer);

    // A codec that decoded a file with an EXIF block puts that block back into the new file.
    if (m_exif && m_exif->FindSection(JPEG_APP0 + 1)) {
        m_exif->DiscardNonExifSections();
        if (!file->Seek(pos, DIBFILE_SEEK_SET) ||
            !m_exif->ReadSections(file, CDibExifInfo::READ_EXIF | CDibExifInfo::READ_IMAGE) ||
            !file->Seek(pos, DIBFILE_SEEK_SET) || !m_exif->WriteSections(file)) {
            SetLastError(m_exif->GetLastErrorText());
            return false;
        }
    }
    return true;
}
