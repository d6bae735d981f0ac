#include "form1.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QStyleFactory>
#include <QSvgRenderer>

namespace {

QIcon programIcon()
{
    QSvgRenderer renderer(QStringLiteral(":/icon.svg"));
    QIcon icon;
    for (int side : {16, 32, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
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
