// The viewer on Qt's offscreen platform: time to the first paint of a
// 1,000-picture collection, and repainting a 8000 x 6000 picture while it is
// panned at several zooms.

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

#include "app/KiroApp.h"
#include "app/MainFrame.h"
#include "bench/BenchSupport.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TestPictures.h"
#include "views/KiroView.h"

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

}  // namespace

BENCHMARK(FirstPaint)->Name("Viewer/first_paint_1000_entries")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Repaint)->Name("Viewer/repaint_8000x6000_zoom_percent")->Arg(100)->Arg(10)->Arg(400)->Unit(benchmark::kMillisecond);
