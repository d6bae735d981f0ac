// Draws the program's SVG pictures while building, so that the game parses no SVG and
// needs no SVG module on any platform.
//   bake_pictures icon ICON.svg OUTPUT.cpp
//       the icon at the sizes a window manager asks for, as C++ arrays of pixels;
//   bake_pictures face FACE.svg PREFIX SCALE...
//       a face stretched to a card's square at each whole SCALE, on a light fringe, as
//       PREFIX-SCALEx.argb files of raw pixels, which the game uses as they are, with no
//       decoder;
//   bake_pictures ico ICON.svg OUTPUT.ico
//       the icon as a Windows icon file, for the program file on Windows;
//   bake_pictures png ICON.svg SIDE OUTPUT.png
//       the icon as a PNG file, for the web page and for a browser that installs it.
// Pixels are premultiplied ARGB, one native-endian word each.
#include "layout.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The whole view box mapped onto the square, distorting where it must.
QImage draw(QSvgRenderer &renderer, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, side, side));
    return image;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush())
        return true;
    std::fprintf(stderr, "bake_pictures: cannot write %s\n", qPrintable(path));
    return false;
}

bool bakeIcon(QSvgRenderer &renderer, const QString &output)
{
    QByteArray text = "// Generated from the program's icon by bake_pictures.\n#include \"bakedicon.h\"\n\n"
                      "namespace pairon12 {\n";
    const int sides[] = {16, 32, 48, 64};
    QByteArray table;
    for (int side : sides) {
        const QImage image = draw(renderer, side);
        text += "static const unsigned int icon" + QByteArray::number(side) + "[] = {";
        for (int y = 0; y < side; ++y) {
            const auto *row = reinterpret_cast<const unsigned int *>(image.constScanLine(y));
            text += "\n   ";
            for (int x = 0; x < side; ++x)
                text += " 0x" + QByteArray::number(row[x], 16) + "u,";
        }
        text += "\n};\n";
        table += "    {" + QByteArray::number(side) + ", icon" + QByteArray::number(side) + "},\n";
    }
    text += "\nconst std::array<BakedIcon, " + QByteArray::number(std::size(sides)) + "> BakedIcons{{\n" + table
            + "}};\n\n} // namespace pairon12\n";
    return write(output, text);
}

// Laid on an opaque light silhouette a little larger than itself, a face keeps its
// outline on a dark card as on a light one. The fringe is a pixel wide at each scale, the
// same on screen at every one; beyond it the card shows.
QImage withFringe(const QImage &face, int scale)
{
    const int side = face.width();
    const int reach = scale;
    QImage fringed(face.size(), QImage::Format_ARGB32_Premultiplied);
    fringed.fill(Qt::transparent);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (qAlpha(face.pixel(x, y)) == 0)
                continue;
            for (int dy = -reach; dy <= reach; ++dy) {
                for (int dx = -reach; dx <= reach; ++dx) {
                    if (dx * dx + dy * dy <= reach * reach && fringed.valid(x + dx, y + dy))
                        fringed.setPixel(x + dx, y + dy, qRgb(0xf4, 0xf4, 0xf4));
                }
            }
        }
    }
    QPainter(&fringed).drawImage(0, 0, face);
    return fringed;
}

bool bakeFace(QSvgRenderer &renderer, const QString &prefix, const QStringList &scales)
{
    for (const QString &scale : scales) {
        const QImage image = withFringe(draw(renderer, scale.toInt() * pairon12::CardSide), scale.toInt());
        const QByteArray pixels(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
        if (!write(prefix + '-' + scale + "x.argb", pixels))
            return false;
    }
    return true;
}

// The Explorer, the Start menu and the taskbar pick a size from 16 pixels at 100 %
// scaling to the Explorer's largest view: one PNG each, in the ICO container.
bool bakeIco(QSvgRenderer &renderer, const QString &output)
{
    const int sides[] = {16, 20, 24, 32, 40, 48, 64, 96, 256};
    std::vector<QByteArray> pngs;
    for (int side : sides) {
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        draw(renderer, side).save(&png, "PNG");
        pngs.push_back(png.data());
    }
    QByteArray ico;
    QDataStream out(&ico, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(pngs.size());
    auto offset = quint32(6 + 16 * pngs.size());
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        const auto side = quint8(sides[i] % 256); // 0 stands for 256
        out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32) << quint32(pngs[i].size()) << offset;
        offset += pngs[i].size();
    }
    for (const auto &png : pngs)
        out.writeRawData(png.constData(), int(png.size()));
    return write(output, ico);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool icon = args.size() == 3 && args[0] == QLatin1String("icon");
    const bool face = args.size() >= 4 && args[0] == QLatin1String("face");
    const bool ico = args.size() == 3 && args[0] == QLatin1String("ico");
    const bool png = args.size() == 4 && args[0] == QLatin1String("png") && args[2].toInt() > 0;
    if (!icon && !face && !ico && !png) {
        std::fprintf(stderr, "usage: bake_pictures icon ICON.svg OUTPUT.cpp\n"
                             "       bake_pictures face FACE.svg PREFIX SCALE...\n"
                             "       bake_pictures ico ICON.svg OUTPUT.ico\n"
                             "       bake_pictures png ICON.svg SIDE OUTPUT.png\n");
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "bake_pictures: cannot read %s\n", argv[2]);
        return 1;
    }
    if (ico)
        return bakeIco(renderer, args[2]) ? 0 : 1;
    if (png)
        return draw(renderer, args[2].toInt()).save(args[3], "PNG", 0) ? 0 : 1;
    return (icon ? bakeIcon(renderer, args[2]) : bakeFace(renderer, args[2], args.mid(3))) ? 0 : 1;
}
