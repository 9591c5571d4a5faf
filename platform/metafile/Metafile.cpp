#include "platform/metafile/Metafile.h"

#include "platform/metafile/MetafileHeaders.h"
#include "platform/metafile/Player.h"

namespace metafile {

CMetafile::CMetafile(Kind kind, const uint8_t* data, size_t size) : kind_(kind), bytes_(data, data + size) {}

CMetafile::~CMetafile() = default;

std::unique_ptr<CMetafile> CMetafile::LoadEnhanced(const uint8_t* data, size_t size)
{
    uint32_t headerSize = 0;
    std::optional<EnhancedHeader> header = ReadEnhancedHeader(CByteView(data, size), headerSize);
    if (!header)
        return nullptr;
    std::unique_ptr<CMetafile> metafile(new CMetafile(Kind::Enhanced, data, size));
    metafile->header_ = *header;
    metafile->headerSize_ = headerSize;
    metafile->palette_ = ReadEnhancedPalette(CByteView(data, size), *header);
    return metafile;
}

std::unique_ptr<CMetafile> CMetafile::LoadWindows(const uint8_t* data, size_t size, const MetaRect* placeableBounds)
{
    CByteView bytes(data, size);
    std::optional<WindowsHeader> windowsHeader = ReadWindowsHeader(bytes);
    if (!windowsHeader)
        return nullptr;
    WindowsScan scan = ScanWindowsRecords(bytes);
    std::optional<MetaRect> window = placeableBounds ? std::optional(*placeableBounds) : scan.window;
    std::unique_ptr<CMetafile> metafile(new CMetafile(Kind::Windows, data, size));
    metafile->header_ = ConvertedHeader(window, static_cast<uint32_t>(size), scan, windowsHeader->objects);
    metafile->headerSize_ = kEmfHeaderMinimum;
    metafile->palette_ = scan.palette;
    metafile->initialWindow_ =
        window.value_or(MetaRect {0, 0, kReferencePixels.cx, kReferencePixels.cy});
    metafile->objectSlots_ = windowsHeader->objects;
    return metafile;
}

uint32_t CMetafile::GetHeaderSize() const
{
    return headerSize_;
}

bool CMetafile::Render(int width, int height, const RowSink& sink) const
{
    const PlayerEntry* player = Player();
    if (player == nullptr)
        return false;
    PlaybackSource source {kind_ == Kind::Enhanced, bytes_.data(), bytes_.size(), header_, initialWindow_, objectSlots_};
    return player->render(source, width, height, sink);
}

bool PlayQuickDraw(const QuickDrawPicture& picture, const RowSink& sink)
{
    const PlayerEntry* player = Player();
    return player != nullptr && player->playQuickDraw(picture, sink);
}

void PrepareTextDrawing()
{
    if (const PlayerEntry* player = Player())
        player->prepareTextDrawing();
}

}  // namespace metafile
