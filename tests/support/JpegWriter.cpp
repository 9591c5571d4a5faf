#include "tests/support/JpegWriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace {

struct WriterErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void LeaveOnError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<WriterErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void SetColourSpace(jpeg_compress_struct& info, const JpegImage& image)
{
    switch (image.components) {
    case 1: info.in_color_space = JCS_GRAYSCALE; break;
    case 3: info.in_color_space = JCS_RGB; break;
    case 4: info.in_color_space = JCS_CMYK; break;
    default: info.in_color_space = JCS_UNKNOWN; break;
    }
    jpeg_set_defaults(&info);
    if (image.ycck)
        jpeg_set_colorspace(&info, JCS_YCCK);
    info.write_Adobe_marker = image.components == 4 && image.adobeMarker;
    if (image.components != 3 && image.components != 4)
        return;
    info.comp_info[0].h_samp_factor = image.lumaWidthFactor;
    info.comp_info[0].v_samp_factor = image.lumaHeightFactor;
    if (image.ycck) {
        // Y and K carry the detail.
        info.comp_info[3].h_samp_factor = image.lumaWidthFactor;
        info.comp_info[3].v_samp_factor = image.lumaHeightFactor;
    }
}

// Holds libjpeg's longjmp; nothing with a destructor lives in this frame.
bool Compress(jpeg_compress_struct& info, WriterErrors& errors, const JpegImage& image, const uint8_t* samples,
              unsigned char** out, unsigned long* size)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = image.components;
    SetColourSpace(info, image);
    jpeg_set_quality(&info, image.quality, TRUE);
    info.restart_in_rows = image.restartRows;
    if (image.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    size_t stride = static_cast<size_t>(image.width) * image.components;
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPLE*>(samples + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

std::vector<uint8_t> WriteJpeg(const JpegImage& image)
{
    if (image.samples.size() != static_cast<size_t>(image.width) * image.height * image.components)
        throw std::invalid_argument("WriteJpeg: the samples do not fill the picture");
    if (image.ycck && !image.adobeMarker)
        throw std::invalid_argument("WriteJpeg: only the Adobe marker tells YCCK from CMYK");
    jpeg_compress_struct info {};
    WriterErrors errors {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = LeaveOnError;
    std::vector<uint8_t> samples = image.samples;
    if (image.components == 4 && image.adobeMarker)
        std::transform(samples.begin(), samples.end(), samples.begin(), [](uint8_t ink) { return 255 - ink; });
    unsigned char* out = nullptr;
    unsigned long size = 0;
    bool written = Compress(info, errors, image, samples.data(), &out, &size);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes;
    if (written)
        bytes.assign(out, out + size);
    std::free(out);
    if (!written)
        throw std::runtime_error(std::string("WriteJpeg: ") + errors.message);
    return bytes;
}

std::vector<uint8_t> JpegSamples(const std::vector<std::vector<uint32_t>>& rows, int components)
{
    std::vector<uint8_t> samples;
    for (const auto& row : rows)
        for (uint32_t pixel : row) {
            if (components == 1) {
                samples.push_back(static_cast<uint8_t>(pixel >> 8));
                continue;
            }
            samples.push_back(static_cast<uint8_t>(pixel >> 16));
            samples.push_back(static_cast<uint8_t>(pixel >> 8));
            samples.push_back(static_cast<uint8_t>(pixel));
        }
    return samples;
}
