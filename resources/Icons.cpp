#include "resources/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

// Pixel art in one style: dark outlines, flat colours, green for adding, red for removing.
const char* const kNewIcon[] = {
    "16 15 3 1",
    ". c None",
    "k c #303030",
    "w c #FFFFFF",
    "..kkkkkkkk......",
    "..kwwwwwwkk.....",
    "..kwwwwwwkwk....",
    "..kwwwwwwkkkk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kkkkkkkkkkk...",
};

const char* const kOpenIcon[] = {
    "16 15 4 1",
    ". c None",
    "Y c #C89820",
    "k c #303030",
    "y c #F0C850",
    "................",
    "................",
    "................",
    "kkkkkk..........",
    "kyyyyk..........",
    "kyyyykkkkkkkkk..",
    "kYYYYYYYYYYYYk..",
    "kyykkkkkkkkkkkkk",
    "kyyYYYYYYYYYYYYk",
    "kyyYYYYYYYYYYYYk",
    "kyyYYYYYYYYYYYYk",
    "kyyYYYYYYYYYYYk.",
    "kyyYYYYYYYYYYYk.",
    "kkkkkkkkkkkkkkk.",
    "................",
};

const char* const kSaveAsIcon[] = {
    "16 15 8 1",
    ". c None",
    "B c #2050A0",
    "b c #5080D0",
    "g c #C8C8C8",
    "k c #303030",
    "r c #D03030",
    "w c #FFFFFF",
    "y c #F0C850",
    "................",
    ".kkkkkkkkkkkkk..",
    ".kbbkkkkkkkbbk..",
    ".kbbkwwwwwkbbk..",
    ".kbbkwwwwwkbbk..",
    ".kbbkwwwwwkbbk..",
    ".kbbkkkkkkkbbk..",
    ".kbbbbbbbbbbbk..",
    ".kbbbbbbbbbbbk..",
    ".kbbBBBBBBBbbkry",
    ".kbbBBBBggBbbry.",
    ".kbbBBBBggBbry..",
    ".kbbBBBBggBryk..",
    ".kkkBBBBBBrykk..",
    "..........k.....",
};

const char* const kAddIcon[] = {
    "16 15 6 1",
    ". c None",
    "D c #207020",
    "G c #40A040",
    "k c #303030",
    "s c #A8D0F0",
    "y c #F0C850",
    "................",
    "kkkkkkkkkkkkk...",
    "ksssssssssssk...",
    "kssssssssyysk...",
    "kssssssssyysk...",
    "ksssssssssssk...",
    "ksssssssssssk...",
    "ksssGsssssssk...",
    "kssGGGssssssD...",
    "ksGGGGGsssssG...",
    "kGGGGGGGGGGGG...",
    "kkkkkkkkkDGGGGGD",
    "............G...",
    "............G...",
    "............D...",
};

const char* const kAddFolderIcon[] = {
    "16 15 6 1",
    ". c None",
    "D c #207020",
    "G c #40A040",
    "Y c #C89820",
    "k c #303030",
    "y c #F0C850",
    "................",
    "kkkkkk..........",
    "kyyyyk..........",
    "kyyyykkkkkkkk...",
    "kYYYYYYYYYYYk...",
    "kyyyyyyyyyyyk...",
    "kyyyyyyyyyyyk...",
    "kyyyyyyyyyyyk...",
    "kyyyyyyyyyyyD...",
    "kyyyyyyyyyyyG...",
    "kyyyyyyyyyyyG...",
    "kkkkkkkkkDGGGGGD",
    "............G...",
    "............G...",
    "............D...",
};

const char* const kRemoveIcon[] = {
    "16 15 6 1",
    ". c None",
    "G c #40A040",
    "k c #303030",
    "r c #D03030",
    "s c #A8D0F0",
    "y c #F0C850",
    "................",
    "kkkkkkkkkkkkk...",
    "ksssssssssssk...",
    "kssssssssyysk...",
    "kssssssssyysk...",
    "ksssssssssssk...",
    "ksssssssssssk...",
    "ksssGsssssssk...",
    "kssGGGssssssk...",
    "ksGGGGGsssrrk.r.",
    "kGGGGGGGGGGrrrr.",
    "kkkkkkkkkkkkrr..",
    "...........rrrr.",
    "..........rr..r.",
    "................",
};

const char* const kRemoveAllIcon[] = {
    "16 15 6 1",
    ". c None",
    "G c #40A040",
    "k c #303030",
    "r c #D03030",
    "s c #A8D0F0",
    "y c #F0C850",
    "...kkkkkkkkkkkk.",
    "...kssssssssssk.",
    "...ksssssssyysk.",
    "kkkkkkkkkkkkysk.",
    "ksssssssssskssk.",
    "ksssssssyyskssk.",
    "ksssssssyyskssk.",
    "ksssGsssssskGGk.",
    "kssGGGssssskkkk.",
    "ksGGGGGsssrr..r.",
    "kGGGGGGGGGGrrrr.",
    "kkkkkkkkkkkkrr..",
    "...........rrrr.",
    "..........rr..r.",
    "................",
};

const char* const kZoomIcon[] = {
    "16 15 5 1",
    ". c None",
    "k c #303030",
    "o c #808080",
    "s c #A8D0F0",
    "w c #FFFFFF",
    "................",
    ".....kkk........",
    "...kkkkkkk......",
    "..kkssssskk.....",
    "..kswwssssk.....",
    ".kkswssssskk....",
    ".kkssssssskk....",
    ".kkssssssskk....",
    "..ksssssssk.....",
    "..kksssssko.....",
    "...kkkkkkoko....",
    ".....kkk..oko...",
    "...........oko..",
    "............oko.",
    ".............o..",
};

const char* const kCopyIcon[] = {
    "16 15 3 1",
    ". c None",
    "k c #303030",
    "w c #FFFFFF",
    "kkkkkkk.........",
    "kwwwwwkk........",
    "kwwwwwkwk.......",
    "kwwwwwkkkk......",
    "kwwwwkkkkkkk....",
    "kwwwwkwwwwwkk...",
    "kwwwwkwwwwwkwk..",
    "kwwwwkwwwwwkkkk.",
    "kwwwwkwwwwwwwwk.",
    "kwwwwkwwwwwwwwk.",
    "kkkkkkwwwwwwwwk.",
    ".....kwwwwwwwwk.",
    ".....kwwwwwwwwk.",
    ".....kwwwwwwwwk.",
    ".....kkkkkkkkkk.",
};

const char* const kSlideStartIcon[] = {
    "16 15 4 1",
    ". c None",
    "B c #2050A0",
    "G c #40A040",
    "k c #303030",
    "................",
    "kkkkkkkkkkkkkkkk",
    "kBBBBBBBBBBBBBBk",
    "kBBBBBGBBBBBBBBk",
    "kBBBBBGGBBBBBBBk",
    "kBBBBBGGGBBBBBBk",
    "kBBBBBGGGGBBBBBk",
    "kBBBBBGGGBBBBBBk",
    "kBBBBBGGBBBBBBBk",
    "kBBBBBGBBBBBBBBk",
    "kBBBBBBBBBBBBBBk",
    "kkkkkkkkkkkkkkkk",
    ".......kk.......",
    "....kkkkkkkk....",
    "................",
};

const char* const kSlideStopIcon[] = {
    "16 15 4 1",
    ". c None",
    "B c #2050A0",
    "k c #303030",
    "r c #D03030",
    "................",
    "kkkkkkkkkkkkkkkk",
    "kBBBBBBBBBBBBBBk",
    "kBBBBBBBBBBBBBBk",
    "kBBBBrrrrrrBBBBk",
    "kBBBBrrrrrrBBBBk",
    "kBBBBrrrrrrBBBBk",
    "kBBBBrrrrrrBBBBk",
    "kBBBBrrrrrrBBBBk",
    "kBBBBBBBBBBBBBBk",
    "kBBBBBBBBBBBBBBk",
    "kkkkkkkkkkkkkkkk",
    ".......kk.......",
    "....kkkkkkkk....",
    "................",
};


void DrawApplicationIcon(QPainter& painter, int size)
{
    // A landscape in a dark frame, laid out on a 32 x 32 grid. Rectangles
    // keep to whole pixels at every size, so small icons stay sharp.
    const qreal scale = size / 32.0;
    auto pixels = [scale](qreal x, qreal y, qreal width, qreal height) {
        return QRectF(QPointF(std::round(x * scale), std::round(y * scale)),
                      QPointF(std::round((x + width) * scale), std::round((y + height) * scale)));
    };
    auto polygon = [scale](std::initializer_list<QPointF> points) {
        QPolygonF scaled;
        for (const QPointF& point : points)
            scaled << point * scale;
        return scaled;
    };
    const QColor outline(0x30, 0x30, 0x30);
    const QColor sky(0xA8, 0xD0, 0xF0);
    const QColor sun(0xF0, 0xC8, 0x50);
    const QColor green(0x40, 0xA0, 0x40);
    const QColor darkGreen(0x20, 0x70, 0x20);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.fillRect(pixels(3, 5, 26, 22), sky);
    painter.setBrush(sun);
    painter.drawEllipse(QPointF(22.5, 11.5) * scale, 3.5 * scale, 3.5 * scale);
    // The far hill first; the near one covers its foot. Their bases reach into
    // the ground and the frame, which are painted over them.
    painter.setBrush(darkGreen);
    painter.drawPolygon(polygon({{23.5, 19}, {30.5, 26}, {16.5, 26}}));
    painter.setBrush(green);
    painter.drawPolygon(polygon({{11.5, 16}, {21.5, 26}, {1.5, 26}}));
    painter.fillRect(pixels(3, 25, 26, 1), green);
    painter.fillRect(pixels(3, 26, 26, 1), darkGreen);
    QPainterPath frame;
    frame.addRect(pixels(1, 3, 30, 26));
    frame.addRect(pixels(3, 5, 26, 22));
    painter.setBrush(outline);
    painter.drawPath(frame);
    painter.restore();
}

QImage ApplicationIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawApplicationIcon(painter, size);
    return image;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : kApplicationIconSizes)
        icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
    return icon;
}
