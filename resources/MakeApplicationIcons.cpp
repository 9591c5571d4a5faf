// Writes the application's icon for the desktop's icon theme, from the same
// drawing as the window's icon: OUT/<N>x<N>/apps/NAME.png at every size, and
// OUT/scalable/apps/NAME.svg.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>
#include <cstdio>

#include "resources/Icons.h"

namespace {

constexpr int kSvgSize = 256;

QString IconPath(const QString& theme, const QString& sizeFolder, const QString& fileName)
{
    QString folder = theme + QStringLiteral("/") + sizeFolder + QStringLiteral("/apps");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/") + fileName;
}

bool WriteSvg(const QString& path, const QString& name)
{
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setTitle(name);
    generator.setDescription(QStringLiteral("The application icon of Lumo"));
    generator.setSize(QSize(kSvgSize, kSvgSize));
    generator.setViewBox(QRect(0, 0, kSvgSize, kSvgSize));
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    DrawApplicationIcon(painter, kSvgSize);
    return painter.end();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: lumo_make_icons THEME-FOLDER NAME\n", stderr);
        return 2;
    }
    QString theme = QString::fromLocal8Bit(argv[1]);
    QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : kApplicationIconSizes) {
        QString path = IconPath(theme, QStringLiteral("%1x%1").arg(size), name + QStringLiteral(".png"));
        if (!ApplicationIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "lumo_make_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    QString svg = IconPath(theme, QStringLiteral("scalable"), name + QStringLiteral(".svg"));
    if (!WriteSvg(svg, name)) {
        std::fprintf(stderr, "lumo_make_icons: cannot write %s\n", qPrintable(svg));
        return 1;
    }
    return 0;
}
