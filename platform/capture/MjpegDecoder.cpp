#include "platform/capture/MjpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace ms::capture {

// One decompressor kept for the whole stream: its tables and buffers are allocated once.
struct MjpegDecoder::State {
    jpeg_decompress_struct cinfo{};
    struct Error {
        jpeg_error_mgr mgr;
        std::jmp_buf jump;
    } err{};
    std::vector<JSAMPROW> rows;
    bool created = false;

    static void OnError(j_common_ptr c) {
        auto* e = reinterpret_cast<Error*>(c->err);
        std::longjmp(e->jump, 1);
    }
    // Corrupt-data warnings are counted (num_warnings) and looked at after the picture;
    // nothing is printed.
    static void OnMessage(j_common_ptr c, int level) {
        if (level < 0)
            ++c->err->num_warnings;
    }
};

MjpegDecoder::MjpegDecoder() : m_state(std::make_unique<State>()) {
    State& s = *m_state;
    s.cinfo.err = jpeg_std_error(&s.err.mgr);
    s.err.mgr.error_exit = State::OnError;
    s.err.mgr.emit_message = State::OnMessage;
    if (setjmp(s.err.jump) == 0) {
        jpeg_create_decompress(&s.cinfo);
        s.created = true;
    }
}

MjpegDecoder::~MjpegDecoder() {
    if (m_state->created)
        jpeg_destroy_decompress(&m_state->cinfo);
}

bool MjpegDecoder::DecodeBottomUp(const BYTE* data, size_t size, LONG width, LONG height, BYTE* dst,
                                  long dstStride) {
    State& s = *m_state;
    if (!s.created || !data || size < 4 || width <= 0 || height <= 0)
        return false;
    jpeg_decompress_struct& c = s.cinfo;
    if (setjmp(s.err.jump) != 0) {
        jpeg_abort_decompress(&c);
        return false;
    }
    s.err.mgr.num_warnings = 0;
    jpeg_mem_src(&c, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&c, TRUE) != JPEG_HEADER_OK) {
        jpeg_abort_decompress(&c);
        return false;
    }
    if (c.image_width != static_cast<JDIMENSION>(width) ||
        c.image_height != static_cast<JDIMENSION>(height) || c.num_components != 3) {
        jpeg_abort_decompress(&c);
        return false;
    }
    c.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&c);
    if (c.output_width != static_cast<JDIMENSION>(width) ||
        c.output_height != static_cast<JDIMENSION>(height) || c.output_components != 3) {
        jpeg_abort_decompress(&c);
        return false;
    }
    // The picture's top row is the last row of the bottom-up frame.
    s.rows.resize(static_cast<size_t>(height));
    for (LONG r = 0; r < height; ++r)
        s.rows[static_cast<size_t>(r)] = dst + static_cast<size_t>(height - 1 - r) * dstStride;
    while (c.output_scanline < c.output_height) {
        JDIMENSION left = c.output_height - c.output_scanline;
        if (jpeg_read_scanlines(&c, s.rows.data() + c.output_scanline, left) == 0)
            break;
    }
    bool whole = c.output_scanline == c.output_height;
    if (whole)
        jpeg_finish_decompress(&c);
    else
        jpeg_abort_decompress(&c);
    return whole && s.err.mgr.num_warnings == 0;
}

} // namespace ms::capture
