// The floors the game is measured against: the least a Qt Widgets program can do to put
// the game's window on screen (same style, size and title, nothing in it), and with
// --captioned the same window showing one caption in the game's face. Text brings in
// fontconfig, FreeType, HarfBuzz and a font, which no window with words on it escapes.
#include <QApplication>
#include <QLabel>
#include <QStyleFactory>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Pairon12"));
    window.resize(524, 467);
    if (QApplication::arguments().contains(QStringLiteral("--captioned"))) {
        // As the game makes its captions' face: set before the control exists, so
        // the platform's default face is never loaded.
        QFont face;
        face.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")});
        face.setStyleHint(QFont::SansSerif);
        face.setPixelSize(16);
        face.setBold(true);
        window.setFont(face);
        auto *caption = new QLabel(QStringLiteral("Tentativi :"), &window);
        caption->setGeometry(32, 416, 97, 25);
    }
    window.show();
    return QApplication::exec();
}
