#include "form1.h"
#include "picturebox.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <cmath>

using namespace pairon12;

namespace {

// Every deal draws the deck's first letter: positions 1..12 hold "a".."n" in order
// and position p + 12 holds p's partner.
Game::Seeder firstLetters()
{
    return [] { return Game::UniformSource([] { return 0.0; }); };
}

QPoint cellCentre(int cell) { return {104 + 64 * ((cell - 1) % 5) + 32, 72 + 64 * ((cell - 1) / 5) + 32}; }

struct Window {
    double now = 500.0;
    Form1 form{[this] { return now; }, firstLetters()};

    Window()
    {
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("window never exposed");
    }
    template <class T = QWidget> T *control(const QString &name) const
    {
        return form.findChild<T *>(name, Qt::FindDirectChildrenOnly);
    }
    void click(QPoint at) { QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, at); }
    void clickCard(int pos) { click(cellCentre(gridCellOf(pos))); }
    QString topmostAt(QPoint at) const
    {
        const QWidget *w = form.childAt(at);
        return w ? w->objectName() : QString();
    }
    QStringList shownControls() const
    {
        QStringList names;
        for (auto *w : form.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                names << w->objectName();
        return names;
    }
    QTimer *pauseTimer() const { return form.findChild<QTimer *>(QStringLiteral("pauseTimer")); }
    void playPerfectGame()
    {
        for (int p = 1; p <= 12; ++p) {
            clickCard(p);
            clickCard(p + 12);
        }
    }
};

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

    void controlsStandWhereTheLayoutPutsThem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("enabled");
        for (int k = 1; k <= 25; ++k) {
            const QRect cell(104 + 64 * ((k - 1) % 5), 72 + 64 * ((k - 1) / 5), 65, 65);
            QTest::addRow("Label%d", k) << QStringLiteral("Label%1").arg(k) << cell << true << (k != 13);
            QTest::addRow("Image%d", k) << QStringLiteral("Image%1").arg(k) << cell << (k == 13) << true;
        }
        for (int k = 26; k <= 38; ++k) {
            const QPoint at = k == 33 ? QPoint(8, 24) : k == 35 ? QPoint(16, 16) : QPoint(8, 16);
            QTest::addRow("Image%d", k) << QStringLiteral("Image%1").arg(k) << QRect(at, QSize(65, 65)) << false
                                        << true;
        }
        QTest::newRow("Label26") << "Label26" << QRect(8, 160, 81, 81) << true << false;
        QTest::newRow("Label27") << "Label27" << QRect(32, 416, 97, 25) << false << false;
        QTest::newRow("Label28") << "Label28" << QRect(104, 24, 169, 25) << false << false;
        QTest::newRow("Text1") << "Text1" << QRect(296, 24, 57, 25) << false << false;
        QTest::newRow("Text2") << "Text2" << QRect(152, 416, 41, 25) << false << false;
        QTest::newRow("Command1") << "Command1" << QRect(312, 424, 81, 25) << false << true;
    }
    void controlsStandWhereTheLayoutPutsThem()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QFETCH(bool, shown);
        QFETCH(bool, enabled);
        Window w;
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Pairon12"));
        QCOMPARE(w.form.size(), QSize(524, 467));
        QCOMPARE(w.form.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), 69);
        QWidget *c = w.control(name);
        QVERIFY(c);
        QCOMPARE(c->geometry(), rect);
        QCOMPARE(c->isVisible(), shown);
        QCOMPARE(c->isEnabled(), enabled);
        // Resizing the window moves nothing.
        w.form.resize(900, 700);
        QCOMPARE(c->geometry(), rect);
    }

    void captionsShowWholeInTheirBoxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("centre marker") << "Label13"
                                       << "X" << 64;
        QTest::newRow("instruction") << "Label26"
                                     << "Selezionare le caselle con il mouse" << 13;
        QTest::newRow("attempts caption") << "Label27"
                                          << "Tentativi :" << 16;
        QTest::newRow("seconds caption") << "Label28"
                                         << "Secondi impiegati :" << 16;
        QTest::newRow("restart button") << "Command1"
                                        << "Ancora" << 16;
        QTest::newRow("seconds box") << "Text1"
                                     << "99999" << 16;
        QTest::newRow("attempts box") << "Text2"
                                      << "999" << 16;
    }
    void captionsShowWholeInTheirBoxes()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, pixelSize);
        Window w;
        QWidget *c = w.control(name);
        QCOMPARE(c->font().pixelSize(), pixelSize);
        QVERIFY(QFontInfo(c->font()).bold());
        QCOMPARE(QFontInfo(c->font()).styleHint(), QFont::SansSerif);
        if (auto *label = qobject_cast<QLabel *>(c)) {
            QCOMPARE(label->text(), caption);
        } else if (auto *button = qobject_cast<QPushButton *>(c)) {
            QCOMPARE(button->text(), caption);
        }

        const QFontMetrics fm(c->font());
        QRect room = c->rect();
        if (qobject_cast<QLineEdit *>(c) || qobject_cast<QPushButton *>(c)) {
            const int frame = c->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 1;
            room = room.adjusted(frame, frame, -frame, -frame);
        }
        if (name == QLatin1String("Label13")) {
            // Only the glyph itself must fit; the line's leading may spill over.
            const QRect ink = fm.tightBoundingRect(caption);
            QVERIFY2(ink.width() < room.width() && ink.height() < room.height(), qPrintable(name));
            // Disabled, yet still the red "X".
            const QImage marker = c->grab().toImage();
            int red = 0;
            for (int y = 0; y < marker.height(); ++y)
                for (int x = 0; x < marker.width(); ++x)
                    red += marker.pixelColor(x, y) == QColor(Qt::red);
            QVERIFY(red > 100);
            return;
        }
        for (const QString &word : caption.split(u' '))
            QVERIFY2(fm.horizontalAdvance(word) <= room.width(), qPrintable(word));
        const QRect wrapped = fm.boundingRect(QRect(QPoint(), QSize(room.width(), 10000)), Qt::TextWordWrap, caption);
        QVERIFY2(wrapped.width() <= room.width() && wrapped.height() <= room.height(),
                 qPrintable(QStringLiteral("%1 needs %2x%3").arg(caption).arg(wrapped.width()).arg(wrapped.height())));
    }

    void clickGoesToTheTopmostShownControl_data()
    {
        QTest::addColumn<QList<int>>("faceUp");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("topmost");
        QTest::addColumn<int>("picked");
        QTest::newRow("middle of a cell") << QList<int>{} << QPoint(136, 104) << "Label1" << 1;
        QTest::newRow("strip with the right neighbour") << QList<int>{} << QPoint(168, 100) << "Label2" << 2;
        QTest::newRow("strip with the lower neighbour") << QList<int>{} << QPoint(130, 136) << "Label6" << 6;
        QTest::newRow("corner of four cells") << QList<int>{} << QPoint(168, 136) << "Label7" << 7;
        QTest::newRow("last card's far corner") << QList<int>{} << QPoint(424, 392) << "Label25" << 24;
        QTest::newRow("centre marker") << QList<int>{} << QPoint(264, 232) << "Label13" << 0;
        QTest::newRow("centre marker over cell 14's edge") << QList<int>{} << QPoint(296, 220) << "Label13" << 0;
        QTest::newRow("cell 14's face over the centre marker") << QList<int>{13} << QPoint(296, 220) << "Image14" << 0;
        QTest::newRow("face-up card") << QList<int>{1} << QPoint(136, 104) << "Image1" << 0;
        QTest::newRow("face covers the neighbour's edge") << QList<int>{1} << QPoint(168, 100) << "Image1" << 0;
        QTest::newRow("matched card") << QList<int>{3, 15} << QPoint(250, 90) << "Image3" << 0;
        QTest::newRow("instruction") << QList<int>{} << QPoint(40, 200) << "Label26" << 0;
        QTest::newRow("hidden face pictures") << QList<int>{} << QPoint(40, 40) << "" << 0;
        QTest::newRow("window ground") << QList<int>{} << QPoint(480, 440) << "" << 0;
    }
    void clickGoesToTheTopmostShownControl()
    {
        QFETCH(QList<int>, faceUp);
        QFETCH(QPoint, at);
        QFETCH(QString, topmost);
        QFETCH(int, picked);
        Window w;
        for (int pos : faceUp)
            w.clickCard(pos);
        const auto before = w.form.game().state().ClickCount;
        QCOMPARE(w.topmostAt(at), topmost);
        const QStringList shown = w.shownControls();
        w.click(at);
        const auto &s = w.form.game().state();
        QCOMPARE(s.ClickCount, before + (picked ? 1 : 0));
        if (picked)
            QCOMPARE(s.PicksInTurn == 1 ? s.FirstPickPos : s.SecondPickPos, picked);
        else
            QCOMPARE(w.shownControls(), shown);
    }

    void wholeGamePlayedByClicksShowsResultsThenAncoraDealsAnew()
    {
        Window w;
        // Faces are the face pictures' own objects, handed on, never copies.
        for (int pos = 1; pos <= CardCount; ++pos) {
            auto *card = w.control<PictureBox>(QStringLiteral("Image%1").arg(gridCellOf(pos)));
            auto *face = w.control<PictureBox>(QStringLiteral("Image%1").arg(FirstFacePicture + (pos - 1) % 12));
            QVERIFY(card->picture() && card->picture() == face->picture());
        }
        w.now += 37.9;
        w.playPerfectGame();
        QCOMPARE(w.control<QLineEdit>("Text1")->text(), QStringLiteral("37"));
        QCOMPARE(w.control<QLineEdit>("Text2")->text(), QStringLiteral("12"));
        for (auto name : {"Text1", "Text2", "Label27", "Label28", "Command1"})
            QVERIFY2(w.control(name)->isVisible(), name);
        // The boxes stand out from the window in a grey of their own.
        const QImage screen = w.form.grab().toImage();
        const qreal dpr = w.form.devicePixelRatioF();
        const QColor ground = screen.pixelColor(QPoint(480, 20) * dpr);
        for (QPoint inBox : {QPoint(348, 36), QPoint(188, 428)})
            QVERIFY(screen.pixelColor(inBox * dpr) != ground && screen.pixelColor(inBox * dpr).lightness() > 150);

        // Nothing on the finished board reacts but "Ancora".
        const QStringList finished = w.shownControls();
        for (QPoint at : {cellCentre(1), cellCentre(13), QPoint(320, 36), QPoint(170, 428), QPoint(60, 428)})
            w.click(at);
        QCOMPARE(w.shownControls(), finished);
        QCOMPARE(w.form.game().state().ClickCount, 24);

        w.click(QPoint(352, 436));
        QCOMPARE(w.form.game().state().ClickCount, 0);
        QCOMPARE(w.shownControls().size(), 25 + 1 + 1); // card targets, Image13, the instruction
        w.now += 12;
        w.playPerfectGame();
        QCOMPARE(w.control<QLineEdit>("Text1")->text(), QStringLiteral("12"));
    }

    void ancoraTakesTheKeyboardAtTheEnd_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("enter") << int(Qt::Key_Enter);
    }
    void ancoraTakesTheKeyboardAtTheEnd()
    {
        QFETCH(int, key);
        Window w;
        w.form.activateWindow();
        w.playPerfectGame();
        auto *ancora = w.control("Command1");
        QTRY_COMPARE(QApplication::focusWidget(), ancora);
        QTest::keyClick(ancora, Qt::Key(key));
        QVERIFY(!ancora->isVisible());
        QCOMPARE(w.form.game().state().PairsFound, 0);
    }

    void failedPairStaysUpHalfASecondAndIgnoresClicks()
    {
        Window w;
        w.clickCard(1);
        w.clickCard(2);
        QVERIFY(w.pauseTimer()->isActive());
        w.clickCard(3);
        QCOMPARE(w.form.game().state().ClickCount, 2);
        QVERIFY(!w.control("Image3")->isVisible());

        // The timer fires on its own schedule; until the clock agrees, the pair stays.
        QSignalSpy fired(w.pauseTimer(), &QTimer::timeout);
        QVERIFY(fired.wait(2000));
        QVERIFY(w.control("Image1")->isVisible() && w.control("Image2")->isVisible());
        QVERIFY(w.pauseTimer()->isActive());
        w.now += 0.5;
        QTRY_VERIFY(!w.control("Image1")->isVisible() && !w.control("Image2")->isVisible());
        QVERIFY(!w.pauseTimer()->isActive());
        QCOMPARE(w.form.game().state().PairsFound, 0);
        w.clickCard(3);
        QVERIFY(w.control("Image3")->isVisible());
    }

    void closingDuringThePauseLeavesNothingBehind()
    {
        double now = 0;
        QPointer<Form1> form = new Form1([&now] { return now; }, firstLetters());
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, cellCentre(1));
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, cellCentre(2));
        QVERIFY(form->game().pausing());
        QVERIFY(form->close());
        QTRY_VERIFY(form.isNull());
        now = 10;
        QTest::qWait(600); // past the pause: nothing may fire on the deleted window
    }

    void accessibleNamesNeverGiveAwayAFaceDownCard()
    {
        Window w;
        w.clickCard(1);
        auto nameOf = [](QWidget *c) { return QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name); };
        const QStringList hidden = {"automobile", "dado",       "farfalla", "acero",   "gatto", "pesce",
                                    "rosa",       "coleottero", "quadri",   "narciso", "cuore"};
        for (auto *c : w.form.findChildren<QWidget *>()) {
            const QString name = nameOf(c);
            for (const QString &face : hidden)
                QVERIFY2(!name.contains(face), qPrintable(c->objectName() + ": " + name));
            if (c->isVisible() && c->objectName() != QLatin1String("Image13"))
                QVERIFY2(!name.isEmpty(), qPrintable(c->objectName()));
        }
        QCOMPARE(nameOf(w.control("Image1")), QStringLiteral("Carta 1: aeroplano"));
        QCOMPARE(nameOf(w.control("Label2")), QStringLiteral("Carta 2, coperta"));
        QCOMPARE(nameOf(w.control("Label14")), QStringLiteral("Carta 13, coperta"));
        QCOMPARE(nameOf(w.control("Text1")), QStringLiteral("Secondi impiegati"));
        QCOMPARE(nameOf(w.control("Text2")), QStringLiteral("Tentativi"));
        QCOMPARE(nameOf(w.control("Command1")), QStringLiteral("Ancora"));
    }

    void facesAreDistinctStretchedAndSeeThrough()
    {
        Window w;
        const qreal dpr = w.form.devicePixelRatioF();
        QList<QImage> faces;
        for (int k = FirstFacePicture; k < FirstFacePicture + PairCount; ++k) {
            const auto picture = w.control<PictureBox>(QStringLiteral("Image%1").arg(k))->picture();
            const QImage face = picture->pixmap(QSize(65, 65), dpr).toImage();
            QCOMPARE(face.size(), QSize(65, 65) * dpr);
            for (const QImage &other : faces)
                QVERIFY(face != other);
            faces << face;
        }

        // Turn up card 1 ("a") and look through its transparent ground at the card beneath.
        w.clickCard(1);
        const QImage screen = w.form.grab().toImage();
        const QImage &face = faces.first();
        const QColor ground = w.control("Label1")->palette().color(QPalette::Button);
        int clear = 0, opaque = 0;
        for (int y = 2; y < 63; y += 3) {
            for (int x = 2; x < 63; x += 3) {
                const QColor onFace = face.pixelColor(QPoint(x, y) * dpr);
                const QColor onScreen = screen.pixelColor((QPoint(104, 72) + QPoint(x, y)) * dpr);
                if (onFace.alpha() == 0) {
                    ++clear;
                    QCOMPARE(onScreen, ground);
                } else if (onFace.alpha() == 255) {
                    ++opaque;
                    QCOMPARE(onScreen, onFace);
                }
            }
        }
        QVERIFY2(clear > 20 && opaque > 50, qPrintable(QStringLiteral("%1 clear, %2 opaque").arg(clear).arg(opaque)));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
