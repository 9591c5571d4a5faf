#include "tests/support/BareDecoders.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void LeaveJpeg(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr /*info*/, int /*level*/) {}

// Holds libjpeg's longjmp; nothing with a destructor lives in this frame.
bool DecompressJpeg(jpeg_decompress_struct& info, JpegErrors& errors, const std::vector<uint8_t>& bytes,
                    const RowDestination& destination, BareJpegColours* colours)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    colours->cmyk = info.out_color_space == JCS_CMYK;
    colours->adobeMarker = info.saw_Adobe_marker;
    info.do_fancy_upsampling = FALSE;
    info.dct_method = JDCT_FLOAT;
    if (info.out_color_space == JCS_RGB)
        info.out_color_space = JCS_EXT_RGBX;
    jpeg_start_decompress(&info);
    uint8_t* const* rows = destination(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                                       info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rows[info.output_scanline];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

struct PngInput {
    const uint8_t* next;
    size_t left;
};

void ReadPng(png_structp png, png_bytep out, size_t count)
{
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (count > input->left)
        png_error(png, "end of data");
    std::memcpy(out, input->next, count);
    input->next += count;
    input->left -= count;
}

void SetPngTransforms(png_structp png, png_infop info)
{
    int colorType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16)
        png_set_strip_16(png);
    if (png_get_bit_depth(png, info) < 8)
        png_set_packing(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE)
        return;
    if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
        png_set_expand(png);
    }
    png_set_bgr(png);
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
}

// Holds libpng's longjmp; nothing with a destructor lives in this frame.
bool DecompressPng(png_structp png, png_infop info, PngInput& input, const RowDestination& destination)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &input, ReadPng);
    png_read_info(png, info);
    SetPngTransforms(png, info);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    uint8_t* const* rows = destination(static_cast<int>(png_get_image_width(png, info)),
                                       static_cast<int>(png_get_image_height(png, info)), png_get_channels(png, info));
    png_read_image(png, const_cast<png_bytepp>(rows));
    png_read_end(png, nullptr);
    return true;
}

void IgnorePngWarning(png_structp /*png*/, png_const_charp /*message*/) {}

}  // namespace

bool DecodeJpegBare(const std::vector<uint8_t>& bytes, const RowDestination& destination, BareJpegColours* colours)
{
    jpeg_decompress_struct info {};
    JpegErrors errors {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = LeaveJpeg;
    errors.manager.emit_message = IgnoreMessage;
    BareJpegColours seen;
    bool decoded = DecompressJpeg(info, errors, bytes, destination, &seen);
    jpeg_destroy_decompress(&info);
    if (colours != nullptr)
        *colours = seen;
    return decoded;
}

bool DecodePngBare(const std::vector<uint8_t>& bytes, const RowDestination& destination)
{
    PngInput input {bytes.data(), bytes.size()};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, IgnorePngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool decoded = info != nullptr && DecompressPng(png, info, input, destination);
    png_destroy_read_struct(&png, &info, nullptr);
    return decoded;
}

RowDestination BarePicture::Destination()
{
    return [this](int newWidth, int newHeight, int newBytesPerPixel) {
        width = newWidth;
        height = newHeight;
        bytesPerPixel = newBytesPerPixel;
        size_t stride = static_cast<size_t>(width) * bytesPerPixel;
        pixels.resize(stride * height);
        rows.clear();
        for (int y = 0; y < height; ++y)
            rows.push_back(pixels.data() + y * stride);
        return rows.data();
    };
}

bool DecodeJpegBare(const std::vector<uint8_t>& bytes, BarePicture& picture)
{
    return DecodeJpegBare(bytes, picture.Destination(), &picture.jpegColours);
}
