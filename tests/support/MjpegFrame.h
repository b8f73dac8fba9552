// A Motion-JPEG frame as USB cameras send it, for the simulated camera and the decode
// benchmark: baseline, 4:2:2, from an RGB picture given row by row.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace ms_test {

// fillRow(y, rgb) writes row y (from the top) as width RGB triples.
template <class FillRow>
std::vector<unsigned char> EncodeMjpegFrame(unsigned width, unsigned height, int quality,
                                            FillRow fillRow) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    c.comp_info[0].h_samp_factor = 2;
    c.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    while (c.next_scanline < height) {
        fillRow(c.next_scanline, row.data());
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<unsigned char> jpeg(out, out + size);
    std::free(out);
    return jpeg;
}

} // namespace ms_test
