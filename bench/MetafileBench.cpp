// Metafile decoding as the viewer does it, from files: a clip-art-sized
// enhanced metafile (some 300 records of polygons, Béziers and text,
// recorded with libEMF) and a Windows metafile of 200 records.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench/BenchSupport.h"
#include "picture/formats/MetafileDecoder.h"
#include "tests/support/ByteWriter.h"
#include "tests/support/LibEmfRecorder.h"
#include "tests/support/WmfWriter.h"

namespace {

// A flower of petals, leaves and lettering, 480 x 360 pixels.
std::vector<uint8_t> ClipArtEmf()
{
    return RecordWithLibEmf(480, 360, [](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 4800, 3600, nullptr);
        SetViewportExtEx(dc, 480, 360, nullptr);
        SetPolyFillMode(dc, WINDING);
        for (int petal = 0; petal < 50; ++petal) {
            double angle = petal * 0.74;
            POINT points[8];
            for (int i = 0; i < 8; ++i) {
                double along = 200 + 180 * i;
                double across = (i % 2 ? 1 : -1) * (60 + 20 * (i % 3));
                points[i].x = static_cast<LONG>(2400 + along * std::cos(angle) - across * std::sin(angle));
                points[i].y = static_cast<LONG>(1800 + along * std::sin(angle) + across * std::cos(angle));
            }
            SelectObject(dc, CreateSolidBrush(RGB(200 + petal % 50, 40 + 2 * petal % 150, 120)));
            SelectObject(dc, CreatePen(PS_SOLID, 10, RGB(60, 20, 40)));
            Polygon(dc, points, 8);
        }
        SelectObject(dc, CreatePen(PS_SOLID, 30, RGB(20, 120, 30)));
        for (int stem = 0; stem < 20; ++stem) {
            POINT curve[] = {{2400, 1800}, {600 + 200 * stem, 2600}, {400 + 160 * stem, 3000}, {200 + 220 * stem, 3500}};
            PolyBezier(dc, curve, 4);
        }
        SelectObject(dc, CreateFontA(-160, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Times New Roman"));
        SetBkMode(dc, TRANSPARENT);
        for (int line = 0; line < 10; ++line)
            TextOutA(dc, 100 + 80 * line, 150 + 160 * (line % 4), "Spring flowers", 14);
    });
}

// 200 records (and the end): objects made, selected and deleted, polygons,
// ellipses and text.
std::vector<uint8_t> TwoHundredRecordWmf()
{
    WmfWriter wmf(WmfWriter::Placeable {0, 0, 4800, 3600, 960});
    wmf.Record(meta::kSetMapMode, {8}).Record(meta::kSetWindowOrg, {0, 0}).Record(meta::kSetWindowExt, {3600, 4800});
    ByteWriter font;
    font.U16LE(static_cast<uint16_t>(-120)).U16LE(0).U16LE(0).U16LE(0).U16LE(400);
    font.Bytes({0, 0, 0, 0, 0, 0, 0, 0}).Text("Arial").U8(0);
    wmf.Record(meta::kCreateFontIndirect, font.Take()).Record(meta::kSelectObject, {0});
    for (int shape = 0; shape < 24; ++shape) {
        int x = 150 * shape;
        int y = 100 * (shape % 9);
        wmf.Record(meta::kCreateBrushIndirect, {0, 0x1020 * shape, 0x80, 0});
        wmf.Record(meta::kCreatePenIndirect, {0, 8, 0, 0x4040, 0x40});
        wmf.Record(meta::kSelectObject, {1}).Record(meta::kSelectObject, {2});
        wmf.Record(meta::kPolygon, {4, x, y, x + 600, y + 200, x + 300, y + 900, x - 100, y + 500});
        wmf.Record(meta::kEllipse, {y + 2400, x + 700, y + 1800, x + 100});
        wmf.Record(meta::kDeleteObject, {1}).Record(meta::kDeleteObject, {2});
    }
    ByteWriter text;
    text.U16LE(6).Text("Chart!").U16LE(3000).U16LE(200);
    for (int i = 0; i < 3; ++i)
        wmf.Record(meta::kTextOut, text.Data());
    return wmf.Finish();
}

class MetafileFile {
public:
    MetafileFile(const std::string& name, const std::vector<uint8_t>& bytes)
        : path_(std::filesystem::temp_directory_path() / ("lumo-bench-" + std::to_string(getpid()) + name))
    {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ~MetafileFile() { std::filesystem::remove(path_); }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void DecodeMetafile(benchmark::State& state, const std::string& name, const std::vector<uint8_t>& bytes)
{
    MetafileFile file(name, bytes);
    CMetafileDecoder decoder;
    CDibSectionBitmap bitmap;
    for (auto _ : state) {
        decoder.DecodeFile(file.Path().c_str(), bitmap, 0, nullptr);
        benchmark::DoNotOptimize(bitmap.GetLines());
    }
    state.SetLabel(std::to_string(bitmap.GetWidth()) + " x " + std::to_string(bitmap.GetHeight()));
}

void ClipArt(benchmark::State& state)
{
    DecodeMetafile(state, ".emf", ClipArtEmf());
}

void Records200(benchmark::State& state)
{
    DecodeMetafile(state, ".wmf", TwoHundredRecordWmf());
}

}  // namespace

BENCHMARK(ClipArt)->Name("EMF_clipart/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK(Records200)->Name("WMF_200_records/lumo")->Unit(benchmark::kMillisecond);
