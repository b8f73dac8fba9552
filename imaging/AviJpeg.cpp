#include "imaging/AviJpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace ms::avi {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to the trap set by the caller. Nothing with a destructor lives between setjmp and the jump.
struct ErrorTrap {
    jpeg_error_mgr pub;
    std::jmp_buf trap;
};

void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->trap, 1);
}
void Silent(j_common_ptr) {}

void InitTrap(ErrorTrap& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = Silent;
}

} // namespace

bool EncodeJpegFrame(const uint8_t* bottomUp, long stride, int width, int height, int quality,
                     std::vector<uint8_t>& out) {
    if (!bottomUp || width <= 0 || height <= 0 || stride < 3L * width) {
        out.clear();
        return false;
    }
    // libjpeg writes straight into `out`, whose memory a writer keeps from frame to frame; it
    // takes a larger block of its own only when a frame outgrows that (then kept for the next).
    out.resize(std::max(out.capacity(), static_cast<size_t>(width) * static_cast<size_t>(height)));
    unsigned char* const own = out.data();
    jpeg_compress_struct cinfo;
    ErrorTrap err;
    InitTrap(err);
    cinfo.err = &err.pub;
    unsigned char* buffer = own;
    unsigned long size = static_cast<unsigned long>(out.size());
    if (setjmp(err.trap)) {
        jpeg_destroy_compress(&cinfo);
        if (buffer != own)
            std::free(buffer);
        out.clear();
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.in_color_space = JCS_EXT_BGR; // the DIB's own order, no swapped copy
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // The top row of the picture is the last row of the DIB.
        JSAMPROW row = const_cast<JSAMPROW>(
            bottomUp + static_cast<size_t>(height - 1 - static_cast<int>(cinfo.next_scanline)) *
                           static_cast<size_t>(stride));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    if (buffer != own) {
        out.assign(buffer, buffer + size);
        std::free(buffer);
    } else {
        out.resize(size);
    }
    return !out.empty();
}

bool DecodeJpegFrame(const uint8_t* data, size_t size, int maxSide, std::vector<uint8_t>& bgr,
                     int* width, int* height) {
    if (!data || size < 4)
        return false;
    jpeg_decompress_struct cinfo;
    ErrorTrap err;
    InitTrap(err);
    cinfo.err = &err.pub;
    if (setjmp(err.trap)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK ||
        cinfo.image_width > static_cast<JDIMENSION>(maxSide) ||
        cinfo.image_height > static_cast<JDIMENSION>(maxSide)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(cinfo.output_width) * 3;
    bgr.assign(rowBytes * cinfo.output_height, 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = bgr.data() + static_cast<size_t>(cinfo.output_scanline) * rowBytes;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    *width = static_cast<int>(cinfo.output_width);
    *height = static_cast<int>(cinfo.output_height);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace ms::avi
