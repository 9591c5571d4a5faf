// The viewer on Qt's offscreen platform: time to the first paint of a
// 1,000-picture collection, repainting a 8000 x 6000 picture while it is
// panned at several zooms, and the thumbnail strip over 10,000 entries: the
// memory each entry costs, and the time each batch of appended entries holds
// the interface thread.

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "app/KiroApp.h"
#include "app/MainFrame.h"
#include "bench/BenchSupport.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TestPictures.h"
#include "views/KiroView.h"
#include "views/ThumbnailView.h"

namespace {

QApplication& Application()
{
    static int argc = 1;
    static char name[] = "lumo_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    return application;
}

void WriteFile(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

// A collection file of `count` copies of one 640 x 480 picture, in a temporary folder.
QString ThousandPictureCollection(QTemporaryDir& folder, int count)
{
    BmpImage image;
    image.width = 640;
    image.height = 480;
    image.bitsPerPixel = 24;
    image.pixels = BmpRows(SceneRows(640, 480), 24);
    QString picture = folder.filePath(QStringLiteral("picture.bmp"));
    WriteFile(picture, WriteBmp(image));
    // The collection file: the count, then one length-prefixed path per entry.
    std::vector<uint8_t> kir;
    auto record = [&kir](const std::string& text) {
        kir.push_back(static_cast<uint8_t>(text.size()));
        kir.insert(kir.end(), text.begin(), text.end());
    };
    record(std::to_string(count) + "\r\n");
    for (int i = 0; i < count; ++i)
        record(picture.toStdString() + "\r\n");
    QString path = folder.filePath(QStringLiteral("thousand.kir"));
    WriteFile(path, kir);
    return path;
}

void FirstPaint(benchmark::State& state)
{
    Application();
    QTemporaryDir folder;
    QString collection = ThousandPictureCollection(folder, 1000);
    for (auto _ : state) {
        CKiroApp app;
        app.InitInstance({collection});  // loads, shows and paints the window
        benchmark::DoNotOptimize(app.MainFrame());
    }
}

void Repaint(benchmark::State& state)
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

constexpr int kStripEntries = 10000;
constexpr int kStripBatch = 100;

// The resident size of the process in bytes.
double ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

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

// A viewer whose collection holds kStripEntries pictures, all shown in the strip.
void StripMemory(benchmark::State& state)
{
    Application();
    QTemporaryDir folder;
    std::vector<std::string> paths = DistinctPictures(folder, kStripEntries);
    for (auto _ : state) {
        CKiroApp app;
        app.InitInstance({});
        CMainFrame& frame = *app.MainFrame();
        frame.resize(1024, 768);
        QApplication::processEvents();
        double empty = ResidentBytes();
        for (const std::string& path : paths)
            app.Document().AddEntry(path);
        double documentOnly = ResidentBytes();
        frame.RefreshAllViews();
        QApplication::processEvents();
        frame.repaint();
        double shown = ResidentBytes();
        state.counters["viewer_bytes_per_entry"] = (shown - empty) / kStripEntries;
        state.counters["strip_bytes_per_entry"] = (shown - documentOnly) / kStripEntries;
    }
}

// A strip over a collection of kStripEntries pictures that is told of them in
// batches, as a loading collection tells it; each batch is laid out and painted.
void StripAppend(benchmark::State& state)
{
    Application();
    QTemporaryDir folder;
    std::vector<std::string> paths = DistinctPictures(folder, kStripEntries);
    CKiroApp app;
    app.InitInstance({});
    for (const std::string& path : paths)
        app.Document().AddEntry(path);
    double longest = 0;
    for (auto _ : state) {
        CThumbnailView strip(app.Document());
        strip.resize(1024, strip.sizeHint().height());
        strip.show();
        for (int first = 0; first < kStripEntries; first += kStripBatch) {
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

BENCHMARK(StripMemory)->Name("Viewer/strip_memory_10000_entries")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(StripAppend)->Name("Viewer/strip_append_10000_entries_by_100")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(FirstPaint)->Name("Viewer/first_paint_1000_entries")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Repaint)->Name("Viewer/repaint_8000x6000_zoom_percent")->Arg(100)->Arg(10)->Arg(400)->Unit(benchmark::kMillisecond);
