// The least a Qt Widgets program can do to put the game's window on screen: the
// same style, size and title, and nothing in it. The game's start-up and memory
// are measured against this.
#include <QApplication>
#include <QStyleFactory>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Pairon12"));
    window.resize(524, 467);
    window.show();
    return QApplication::exec();
}
