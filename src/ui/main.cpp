#include "bakedicon.h"
#include "form1.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

namespace {

QIcon programIcon()
{
    QIcon icon;
    for (const auto &baked : pairon12::BakedIcons)
        icon.addPixmap(QPixmap::fromImage(QImage(reinterpret_cast<const uchar *>(baked.pixels), baked.side, baked.side,
                                                 QImage::Format_ARGB32_Premultiplied)));
    return icon;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pairon12"));
    QApplication::setApplicationVersion(QStringLiteral(PAIRON12_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PAIRON12_APP_ID));
    // One look everywhere, so that the layout measured in twips holds on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(programIcon());

    pairon12::Form1 window;
    window.show();
    return QApplication::exec();
}
