#include "picture/formats/JpegSession.h"

#include <jerror.h>

#include "picture/decoding/ByteSource.h"
#include "picture/decoding/PictureError.h"

namespace {

// What the source supplies once the data are used up: an end-of-image marker,
// so that a cut file ends as if complete and the library fills the missing rows.
const JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};

}  // namespace

CJpegSession::CJpegSession()
{
    info_.err = jpeg_std_error(&errors_);
    errors_.error_exit = ExitWithError;
    memorySource_.init_source = InitSource;
    memorySource_.fill_input_buffer = FillInputBuffer;
    memorySource_.skip_input_data = SkipInputData;
    memorySource_.resync_to_restart = jpeg_resync_to_restart;
    memorySource_.term_source = TermSource;
    progress_.progress_monitor = ReportProgress;
    Create();
}

void CJpegSession::Create()
{
    info_.client_data = this;
    if (!guard_.Run([this] { jpeg_create_decompress(&info_); })) {
        jpeg_destroy_decompress(&info_);
        guard_.ThrowFailure(PE_UNSUPPORTED, "\n");
    }
}

CJpegSession::~CJpegSession()
{
    jpeg_destroy_decompress(&info_);
}

template <typename Call>
void CJpegSession::Guarded(Call&& call)
{
    if (!guard_.Run(call))
        guard_.ThrowFailure(PE_UNSUPPORTED, "\n");
}

void CJpegSession::Attach(CByteSource& source)
{
    // The library keeps the quantisation and Huffman tables of the last
    // picture for data that leave them out; each picture must bring its own,
    // so every decode starts from a new decompression object.
    jpeg_destroy_decompress(&info_);
    Create();
    source_ = &source;
    memorySource_.next_input_byte = source.GetReadPointer();
    memorySource_.bytes_in_buffer = static_cast<size_t>(source.GetRemaining());
    info_.src = &memorySource_;
    info_.progress = &progress_;
}

void CJpegSession::ReadHeader()
{
    Guarded([this] { jpeg_read_header(&info_, TRUE); });
}

void CJpegSession::CalculateOutputSize()
{
    Guarded([this] { jpeg_calc_output_dimensions(&info_); });
}

void CJpegSession::Start()
{
    Guarded([this] { jpeg_start_decompress(&info_); });
}

void CJpegSession::ReadScanline(uint8_t* row)
{
    Guarded([this, row] {
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&info_, rows, 1);
    });
}

void CJpegSession::Finish()
{
    Guarded([this] { jpeg_finish_decompress(&info_); });
    source_ = nullptr;
}

void CJpegSession::Abort()
{
    jpeg_abort_decompress(&info_);
    source_ = nullptr;
}

CJpegSession& CJpegSession::Of(j_common_ptr info)
{
    return *static_cast<CJpegSession*>(info->client_data);
}

void CJpegSession::ExitWithError(j_common_ptr info)
{
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    Of(info).guard_.JumpBack(message);
}

void CJpegSession::InitSource(j_decompress_ptr /*info*/) {}

void CJpegSession::TermSource(j_decompress_ptr /*info*/) {}

// Called only when the data are used up.
boolean CJpegSession::FillInputBuffer(j_decompress_ptr info)
{
    WARNMS(info, JWRN_JPEG_EOF);
    Of(reinterpret_cast<j_common_ptr>(info)).SupplyEndOfImage();
    return TRUE;
}

void CJpegSession::SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr& source = *info->src;
    if (static_cast<unsigned long>(count) < source.bytes_in_buffer) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= static_cast<size_t>(count);
        return;
    }
    WARNMS(info, JWRN_JPEG_EOF);
    Of(reinterpret_cast<j_common_ptr>(info)).SupplyEndOfImage();
}

void CJpegSession::SupplyEndOfImage()
{
    memorySource_.next_input_byte = kEndOfImage;
    memorySource_.bytes_in_buffer = sizeof kEndOfImage;
}

void CJpegSession::ReportProgress(j_common_ptr info)
{
    CJpegSession& session = Of(info);
    const jpeg_progress_mgr& progress = *info->progress;
    if (session.source_ == nullptr || progress.pass_limit <= 0 || progress.total_passes <= 0)
        return;
    double fraction = (static_cast<double>(progress.pass_counter) / static_cast<double>(progress.pass_limit) +
                       progress.completed_passes) /
                      progress.total_passes;
    if (!session.guard_.Catch([&] { session.source_->ReportProgress(fraction); }))
        session.guard_.JumpBack("");
}
