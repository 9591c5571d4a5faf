#include "picture/formats/PngSession.h"

#include <cstring>

#include "picture/decoding/ByteSource.h"
#include "picture/decoding/PictureError.h"
#include "picture/decoding/TextException.h"

CPngSession::CPngSession(CByteSource& source) : source_(source)
{
    bool made = guard_.Run([this] {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
        info_ = png_ != nullptr ? png_create_info_struct(png_) : nullptr;
    });
    if (!made || info_ == nullptr) {
        png_destroy_read_struct(&png_, &info_, nullptr);
        ThrowDecodeError(PE_ALLOC_FAILED, "Out of memory creating the PNG read structures.");
    }
    png_set_read_fn(png_, this, OnRead);
}

CPngSession::~CPngSession()
{
    png_destroy_read_struct(&png_, &info_, nullptr);
}

template <typename Call>
void CPngSession::Guarded(Call&& call)
{
    if (!guard_.Run(call))
        guard_.ThrowFailure(PE_FORMAT_ERROR);
}

PngHeader CPngSession::ReadHeader()
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    Guarded([&] {
        png_read_info(png_, info_);
        png_get_IHDR(png_, info_, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    });
    return {width, height, bitDepth, colorType, interlace};
}

std::vector<png_color> CPngSession::Palette()
{
    png_colorp entries = nullptr;
    int count = 0;
    Guarded([&] { png_get_PLTE(png_, info_, &entries, &count); });
    if (entries == nullptr || count <= 0)
        return {};
    return {entries, entries + count};
}

size_t CPngSession::Transform(const PngTransforms& transforms)
{
    size_t rowBytes = 0;
    Guarded([&] {
        if (transforms.grayToRgb)
            png_set_gray_to_rgb(png_);
        if (transforms.expand)
            png_set_expand(png_);
        if (transforms.bgr)
            png_set_bgr(png_);
        if (transforms.filler)
            png_set_filler(png_, 0xFF, PNG_FILLER_AFTER);
        if (transforms.strip16)
            png_set_strip_16(png_);
        if (transforms.packing)
            png_set_packing(png_);
        png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        rowBytes = png_get_rowbytes(png_, info_);
    });
    return rowBytes;
}

void CPngSession::ReadImage(uint8_t* const* lines)
{
    Guarded([&] {
        png_read_image(png_, const_cast<png_bytepp>(lines));
        png_read_end(png_, nullptr);
    });
}

void CPngSession::OnError(png_structp png, png_const_charp message)
{
    static_cast<CPngSession*>(png_get_error_ptr(png))->guard_.JumpBack(message);
}

void CPngSession::OnWarning(png_structp /*png*/, png_const_charp /*message*/) {}

void CPngSession::OnRead(png_structp png, png_bytep out, size_t count)
{
    CPngSession& session = *static_cast<CPngSession*>(png_get_io_ptr(png));
    if (!session.guard_.Catch([&] { std::memcpy(out, session.source_.Read(count), count); }))
        session.guard_.JumpBack("");
}
