// The viewer on Qt's offscreen platform: time from the application's start
// to the first paint of a 10,000-entry collection, repainting a 8000 x 6000
// picture while it is panned at several zooms (drawn plainly, and averaged
// once its reduced copy is made), and the thumbnail strip over
// 10,000 entries: the memory each entry costs after a real load of distinct
// files, and the time each batch of appended entries holds the interface
// thread.

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <malloc.h>
#include <memory>

#include "app/KiroApp.h"
#include "app/MainFrame.h"
#include "bench/BenchSupport.h"
#include "bench/PhotoFolder.h"
#include "bench/ViewerSupport.h"
#include "picture/decoding/Trace.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/KirWriter.h"
#include "tests/support/TestPictures.h"
#include "views/KiroView.h"
#include "views/ThumbnailView.h"

namespace {

constexpr int kLargeCollection = 10000;
// The small photos of the large collection: distinct files, each of which
// makes a true-colour thumbnail, the largest kind.
constexpr int kSmallWidth = 320;
constexpr int kSmallHeight = 240;

void WriteFile(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

// A collection file naming each of the large collection's small photos.
QString LargeCollection()
{
    ByteWriter kir;
    AddRecord(kir, FormatText("%d\r\n", kLargeCollection));
    for (const std::string& path : PhotoPaths(kLargeCollection, kSmallWidth, kSmallHeight))
        AddRecord(kir, path + "\r\n");
    return QString::fromStdString(Folder().Write("large.kir", kir.Take()));
}

// From the start of the application to the end of the main window's first
// paint; the load then goes on in the background and is stopped.
void FirstPaint(benchmark::State& state)
{
    Application();
    QString collection = LargeCollection();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        CKiroApp app;
        app.InitInstance({collection});  // shows and paints the window
        std::chrono::duration<double> shown = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(shown.count());
        if (!app.Document().IsLoading())
            state.SkipWithError("the collection loaded before the window was shown");
    }
}

// Repaints the picture view, panned by 37 device pixels each way before each
// repaint, over a 8000 x 6000 picture at `range(0)` percent; with smooth
// reduction, only once the reduced copy is whole (its making is reported).
void Repaint(benchmark::State& state, bool smooth)
{
    Application();
    double zoom = static_cast<double>(state.range(0)) / 100.0;
    QTemporaryDir folder;
    BmpImage image;
    image.width = 8000;
    image.height = 6000;
    image.bitsPerPixel = 24;
    image.pixels = BmpRows(SceneRows(8000, 6000), 24);
    QString picture = folder.filePath(QStringLiteral("big.bmp"));
    WriteFile(picture, WriteBmp(image));

    CKiroApp app;
    app.InitInstance({});
    app.Document().AddEntry(picture.toStdString());
    app.Document().SelectPicture(0);
    CMainFrame& frame = *app.MainFrame();
    frame.resize(1280, 1024);
    CKiroView& view = *frame.PictureView();
    if (zoom != 1.0)
        view.ZoomIn(nullptr, zoom);
    QImage target(view.viewport()->size(), QImage::Format_RGB32);
    if (smooth) {
        view.SetSmoothReduction(true);
        QElapsedTimer making;
        making.start();
        view.viewport()->render(&target);  // asks for the reduced copy
        while (!view.IsReducedPictureReady())
            QApplication::processEvents();
        state.counters["reduced_copy_ms"] = static_cast<double>(making.nsecsElapsed()) / 1e6;
    }
    int step = 0;
    for (auto _ : state) {
        // Panning: every repaint follows a scroll by 37 device pixels each way.
        view.horizontalScrollBar()->setValue((step * 37) % std::max(1, view.horizontalScrollBar()->maximum()));
        view.verticalScrollBar()->setValue((step * 37) % std::max(1, view.verticalScrollBar()->maximum()));
        ++step;
        view.viewport()->render(&target);
    }
    state.counters["viewport"] = view.viewport()->width() * view.viewport()->height();
}

constexpr int kStripBatch = 100;

// `count` small 24-bit pictures of different colours, each its own file, so
// that no two entries can share a thumbnail.
std::vector<std::string> DistinctPictures(QTemporaryDir& folder, int count)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        BmpImage image;
        image.width = 8;
        image.height = 6;
        image.bitsPerPixel = 24;
        uint32_t colour = static_cast<uint32_t>(i) * 1677u;
        image.pixels = BmpRows(std::vector<std::vector<uint32_t>>(6, std::vector<uint32_t>(8, colour)), 24);
        QString path = folder.filePath(QStringLiteral("p%1.bmp").arg(i));
        WriteFile(path, WriteBmp(image));
        paths.push_back(path.toStdString());
    }
    return paths;
}

// A viewer that adds the folder of the large collection's photos through a
// load, as Add from folder does, and shows them all in the strip: the
// resident size it gains over an empty collection, per entry.
void LoadedMemory(benchmark::State& state)
{
    Application();
    std::string folder = PhotoFolder(kLargeCollection, kSmallWidth, kSmallHeight);
    for (auto _ : state) {
        CKiroApp app;
        app.InitInstance({});
        CMainFrame& frame = *app.MainFrame();
        frame.resize(1024, 768);
        QApplication::processEvents();
        // Freed heap still resident (from writing the photos, say) would take part of the load and hide its cost.
        malloc_trim(0);
        double empty = ResidentBytes();
        LoadTimes times = RunLoad(app.Document(), [&] { app.Document().StartAdding({folder}); });
        frame.repaint();
        double shown = ResidentBytes();
        state.counters["viewer_KB_per_entry"] = (shown - empty) / 1024 / kLargeCollection;
        state.counters["load_s"] = times.seconds;
        if (app.Document().GetEntryCount() != kLargeCollection)
            state.SkipWithError("not every photo was added");
    }
}

// A strip over a collection of kLargeCollection pictures that is told of them in
// batches, as a loading collection tells it; each batch is laid out and painted.
void StripAppend(benchmark::State& state)
{
    Application();
    QTemporaryDir folder;
    std::vector<std::string> paths = DistinctPictures(folder, kLargeCollection);
    CKiroApp app;
    app.InitInstance({});
    for (const std::string& path : paths)
        app.Document().AddEntry(path);
    double longest = 0;
    for (auto _ : state) {
        CThumbnailView strip(app.Document());
        strip.resize(1024, strip.sizeHint().height());
        strip.show();
        for (int first = 0; first < kLargeCollection; first += kStripBatch) {
            auto start = std::chrono::steady_clock::now();
            strip.EntriesAppended(first, kStripBatch);
            QApplication::processEvents();
            strip.viewport()->repaint();
            std::chrono::duration<double, std::milli> batch = std::chrono::steady_clock::now() - start;
            longest = std::max(longest, batch.count());
        }
    }
    state.counters["longest_batch_ms"] = longest;
}

}  // namespace

BENCHMARK(LoadedMemory)->Name("Viewer/memory_10000_entries_loaded")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(StripAppend)->Name("Viewer/strip_append_10000_entries_by_100")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(FirstPaint)->Name("Viewer/first_paint_10000_entries")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(Repaint, plain, false)->Name("Viewer/repaint_8000x6000_zoom_percent")->Arg(100)->Arg(10)->Arg(400)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Repaint, smooth, true)->Name("Viewer/repaint_smooth_8000x6000_zoom_percent")->Arg(10)->Arg(37)->Arg(50)->Unit(benchmark::kMillisecond);
