// Draws the program's SVG icon at the sizes a window manager asks for and writes the
// pixels as C++ arrays, so that the game shows its icon without parsing any SVG.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bake_icon ICON.svg OUTPUT.cpp\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "bake_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text)) {
        std::fprintf(stderr, "bake_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    QByteArray text = "// Generated from the program's icon by bake_icon.\n#include \"bakedicon.h\"\n\n"
                      "namespace pairon12 {\n";
    const int sides[] = {16, 32, 48, 64};
    QByteArray table;
    for (int side : sides) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
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
    return out.write(text) == text.size() ? 0 : 1;
}
