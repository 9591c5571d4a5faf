#pragma once

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "picture/formats/LibraryGuard.h"

class CByteSource;

// libjpeg at arm's length: owns a decompression object for its whole life,
// made anew for each picture, reads it from a data source's unread bytes, and
// turns every library error into a CTextException thrown in C++ frames
// (PE_UNSUPPORTED with the library's message and "\n"). After any error,
// Abort releases the picture's memory and leaves the session ready.
class CJpegSession {
public:
    CJpegSession();
    ~CJpegSession();
    CJpegSession(const CJpegSession&) = delete;
    CJpegSession& operator=(const CJpegSession&) = delete;

    // Starts a picture: a new decompression object, its memory source over the
    // source's unread bytes and its progress monitor reporting to the source.
    void Attach(CByteSource& source);
    void ReadHeader();
    // Sets the output size from the header and the scaling asked for.
    void CalculateOutputSize();
    void Start();
    // Reads the next scanline into `row`, which holds a line of the output.
    void ReadScanline(uint8_t* row);
    void Finish();
    // Ends a decode early, leaving the object ready for the next one.
    void Abort();

    // Header values and decompression parameters, between ReadHeader and Finish.
    jpeg_decompress_struct& Info() { return info_; }

private:
    // Runs a library call; throws what an error or a callback left behind.
    template <typename Call>
    void Guarded(Call&& call);

    void Create();

    static void ExitWithError(j_common_ptr info);
    static void InitSource(j_decompress_ptr info);
    static boolean FillInputBuffer(j_decompress_ptr info);
    static void SkipInputData(j_decompress_ptr info, long count);
    static void TermSource(j_decompress_ptr info);
    static void ReportProgress(j_common_ptr info);
    static CJpegSession& Of(j_common_ptr info);
    void SupplyEndOfImage();

    jpeg_decompress_struct info_ {};
    jpeg_error_mgr errors_ {};
    jpeg_source_mgr memorySource_ {};
    jpeg_progress_mgr progress_ {};
    CLibraryGuard guard_;
    CByteSource* source_ = nullptr;
};
