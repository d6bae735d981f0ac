#include "form1.h"

#include "announcer.h"
#include "card.h"
#include "faces.h"
#include "ink.h"
#include "label.h"
#include "layout.h"
#include "picturebox.h"
#include "resultbox.h"

#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QWindow>

#include <cmath>

namespace pairon12 {

namespace {

QString controlName(ControlKind kind, int number)
{
    switch (kind) {
    case ControlKind::Label: return QStringLiteral("Label%1").arg(number);
    case ControlKind::Image: return QStringLiteral("Image%1").arg(number);
    case ControlKind::TextBox: return QStringLiteral("Text%1").arg(number);
    case ControlKind::Button: return QStringLiteral("Command%1").arg(number);
    }
    return {};
}

} // namespace

Form1::Form1(Game::Clock clock, Game::Seeder seeder, const QString &platform, QWidget *parent)
    : QWidget(parent)
    , m_game(std::move(clock), std::move(seeder))
    , m_repeats(keyRepeatsOn(platform))
    , m_pauseTimer(this)
{
    setObjectName(QStringLiteral("Form1"));
    // Children inherit the captions' face from the start, so the platform's default
    // face is never looked up or loaded.
    setFont(captionFont(12));
    setWindowTitle(QStringLiteral("Pairon12"));
    // What the caption says of the mouse, said of the keys to a screen reader's user,
    // once, as the window comes up.
    setAccessibleDescription(QStringLiteral("Frecce per spostarsi tra le carte, Spazio o Invio per girarle."));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    resize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips));

    buildControls();
    recolour();
    wireRules();
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    m_pauseTimer.setObjectName(QStringLiteral("pauseTimer"));
    connect(&m_pauseTimer, &QTimer::timeout, this, &Form1::onPauseTimer);

    Form_Load();
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    for (int pos = 1; pos <= CardCount; ++pos) {
        auto *card = new Card(pos, m_colours, this);
        connect(card, &Card::clicked, this, [this, pos] { m_game.pick(pos); });
        m_cards[static_cast<std::size_t>(pos - 1)] = card;
    }
    auto *centrePicture = new PictureBox(this);
    centrePicture->setObjectName(QStringLiteral("Image%1").arg(CentreCell));
    centrePicture->setGeometry(cellRect(CentreCell));

    auto *centre = new Label(true, m_colours, this);
    centre->setObjectName(QStringLiteral("Label%1").arg(CentreCell));
    centre->setGeometry(cellRect(CentreCell));
    centre->setText(QStringLiteral("X"));
    centre->setAlignment(Qt::AlignCenter);
    centre->setFont(captionFont(48));
    centre->setEnabled(false);
    centre->setAccessibleName(QStringLiteral("X, centro del tavolo"));
    m_centre = centre;

    // The grid's stack, from the bottom up: every card target below every picture, and
    // the "X" above the faces of the first twelve cards but below those of the rest.
    // Overlapping controls are drawn, and take clicks, in this order.
    for (Card *card : m_cards)
        card->raise();
    for (int pos = 1; pos < CentreCell; ++pos)
        card(pos)->face()->raise();
    centrePicture->raise();
    centre->raise();
    for (int pos = CentreCell; pos <= CardCount; ++pos)
        card(pos)->face()->raise();

    // Off the grid nothing overlaps but the hidden pictures, each made above the last.
    // Fonts are set on each control rather than only inherited from the window: a
    // desktop theme may give buttons and text boxes faces of their own.
    const QFont results = captionFont(12);
    for (const auto &entry : OffGridControls) {
        QWidget *control = nullptr;
        switch (entry.kind) {
        case ControlKind::Image: {
            auto *image = new PictureBox(this);
            if (entry.number == TransferSlot) {
                m_transferSlot = image;
            } else {
                const auto letter = static_cast<std::size_t>(entry.number - FirstFacePicture);
                const FaceEntry &face = Faces[letter];
                image->setPicture(std::make_shared<FacePicture>(QLatin1String(":/faces/") + QLatin1String(face.stem),
                                                                QString::fromUtf8(face.name)));
                m_facePictures[letter] = image;
            }
            image->hide();
            control = image;
            break;
        }
        case ControlKind::Label: {
            auto *label = new Label(false, m_colours, this);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setEnabled(false);
            (entry.number == Instruction       ? m_instruction
             : entry.number == AttemptsCaption ? m_attemptsCaption
                                               : m_secondsCaption) = label;
            control = label;
            break;
        }
        case ControlKind::TextBox: {
            auto *box = new ResultBox(this);
            box->setFont(results);
            (entry.number == SecondsBox ? m_text1 : m_text2) = box;
            control = box;
            break;
        }
        case ControlKind::Button:
            m_command1 = new QPushButton(QStringLiteral("Ancora"), this);
            m_command1->setFont(results);
            // Enter as well as Space presses it while it has the focus.
            m_command1->setAutoDefault(true);
            connect(m_command1, &QPushButton::clicked, this, &Form1::Command1_Click);
            control = m_command1;
            break;
        }
        control->setObjectName(controlName(entry.kind, entry.number));
        control->setGeometry(entry.rect());
    }

    m_secondsCaption->setText(QStringLiteral("Secondi impiegati :"));
    m_secondsCaption->setFont(results);
    m_attemptsCaption->setText(QStringLiteral("Tentativi :"));
    m_attemptsCaption->setFont(results);
    m_instruction->setText(QStringLiteral("Selezionare le caselle con il mouse"));
    m_instruction->setFont(captionFont(9.75));
    m_instruction->setWordWrap(true);
    // A screen reader names each box by the caption beside it.
    m_text1->setAccessibleName(QStringLiteral("Secondi impiegati"));
    m_text2->setAccessibleName(QStringLiteral("Tentativi"));

    m_announcer = new Announcer(this);

    // Offered only to the controls that can take the keyboard at all.
    setFocusPolicy(Qt::NoFocus);
}

void Form1::recolour()
{
    m_colours = coloursFor(palette(), highContrastColours());
    // Once the controls exist: the window hears of its palette while it is being built, too.
    if (!m_text1)
        return;
    QPalette pal;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, m_colours.resultsGround);
    pal.setColor(QPalette::Disabled, QPalette::Text, m_colours.digits);
    m_text1->setPalette(pal);
    m_text2->setPalette(pal);
    m_centre->setFixedTextColour(m_colours.cross, m_colours.crossOutline);
    update();
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Whoever changes the colours, the platform or the application, the window hears it
    // as one of these; on Windows a change of the system colours as a change of theme.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ThemeChange)
        recolour();
}

void Form1::wireRules()
{
    connect(&m_game, &Game::dealt, this, &Form1::giveFace);
    connect(&m_game, &Game::turnedUp, this, [this](int pos) {
        card(pos)->setFaceUp(true);
        m_announcer->say(card(pos)->accessibleName() + QLatin1Char('.'));
    });
    connect(&m_game, &Game::pairFound, this, [this] { m_announcer->say(QStringLiteral("Coppia trovata.")); });
    connect(&m_game, &Game::pairFailed, this, [this](int, int, double seconds) {
        m_announcer->say(QStringLiteral("Non fanno coppia."));
        m_pauseTimer.start(static_cast<int>(std::ceil(seconds * 1000)));
    });
    connect(&m_game, &Game::turnedBack, this, [this](int first, int second) {
        card(first)->setFaceUp(false);
        card(second)->setFaceUp(false);
        m_announcer->say(QStringLiteral("Le carte tornano coperte."));
    });
    connect(&m_game, &Game::finished, this, &Form1::showResults);
}

void Form1::Form_Load()
{
    for (QWidget *control : resultsPanel())
        control->hide();
    m_game.deal();
    HideAllFaces();
    card(1)->setFocus();
}

void Form1::Command1_Click()
{
    m_pauseTimer.stop();
    HideAllFaces();
    Form_Load();
}

void Form1::HideAllFaces()
{
    for (Card *card : m_cards)
        card->setFaceUp(false);
}

void Form1::giveFace(int pos, char letter)
{
    // Handed on through the transfer slot: both hold the very same picture.
    m_transferSlot->setPicture(m_facePictures[FaceLetters.find(letter)]->picture());
    card(pos)->face()->setPicture(m_transferSlot->picture());
}

void Form1::showResults(qint64 seconds, qint64 attempts)
{
    m_text1->showNumber(QString::number(seconds));
    m_text2->showNumber(QLocale().toString(attempts));
    for (QWidget *control : resultsPanel())
        control->show();
    // Heard before the keyboard moves on to "Ancora", which the screen reader then names.
    m_announcer->say(QStringLiteral("Secondi impiegati: %1. Tentativi: %2.").arg(m_text1->text(), m_text2->text()));
    m_announcer->flush();
    m_command1->setFocus();
}

// In the order in which a deal hides them and the end of a game shows them.
std::array<QWidget *, 5> Form1::resultsPanel() const
{
    return {m_text1, m_text2, m_attemptsCaption, m_secondsCaption, m_command1};
}

void Form1::onPauseTimer()
{
    // A timer may fire a hair early; the rules have the last word on the half second.
    if (const double wait = m_game.endPauseIfDue(); wait > 0)
        m_pauseTimer.start(static_cast<int>(std::ceil(wait * 1000)) + 1);
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Every press of a key or a mouse button in the window passes here first, whichever
    // control it goes to, disabled ones included.
    windowHandle()->installEventFilter(this);
    // The keyboard starts on the first card. Qt's WebAssembly platform activates the window
    // before its controls are shown, and Qt then gives the keyboard to the next control.
    if (!event->spontaneous())
        card(1)->setFocus();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle()) {
        if (event->type() == QEvent::MouseButtonPress) {
            setKeyboardCue(false);
        } else if (event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            m_lastRelease = {key->key(), key->timestamp()};
        } else if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (!keyUse(key->key()))
                return QWidget::eventFilter(watched, event);
            // A held key presses once: its repeats would press whatever has the keyboard by
            // then, such as the first card of the deal that the same Enter made on "Ancora".
            // Only on X11 does a shared timestamp tell a repeat: elsewhere a release and a
            // press may share one and be two presses, as Windows counts time in ticks of
            // 16 ms, and keyboards on screen send them back to back. While a screen reader
            // listens to keys, Qt hands each one on again as a copy without its timestamp, 0:
            // there only the repeat mark can tell, or every second Enter, such as the one that
            // turns the first card of a new deal, would be lost.
            const bool repeat = key->isAutoRepeat()
                                || (m_repeats == KeyRepeats::SameTimestamp && key->timestamp() != 0
                                    && key->key() == m_lastRelease.key && key->timestamp() == m_lastRelease.timestamp);
            if (repeat && keyDoes(key->key(), keyboardAt()) == KeyDoes::Press)
                return true;
            setKeyboardCue(true);
        }
    }
    return QWidget::eventFilter(watched, event);
}

KeyboardAt Form1::keyboardAt() const
{
    if (qobject_cast<const Card *>(focusWidget()))
        return KeyboardAt::Card;
    return focusWidget() && focusWidget() == m_command1 ? KeyboardAt::Ancora : KeyboardAt::Elsewhere;
}

void Form1::setKeyboardCue(bool shown)
{
    // The attribute is also what tells the style to draw "Ancora"'s own focus frame.
    if (testAttribute(Qt::WA_KeyboardFocusChange) == shown)
        return;
    setAttribute(Qt::WA_KeyboardFocusChange, shown);
    if (auto *focused = qobject_cast<Card *>(focusWidget()))
        focused->updateRing();
    else if (focusWidget())
        focusWidget()->update();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    const auto *focused = qobject_cast<const Card *>(focusWidget());
    const int from = focused ? focused->position() : 0;
    int to = 0;
    switch (keyDoes(event->key(), keyboardAt())) {
    case KeyDoes::First: to = 1; break;
    case KeyDoes::Last: to = CardCount; break;
    case KeyDoes::Left: to = neighbourCard(from, 0, -1); break;
    case KeyDoes::Right: to = neighbourCard(from, 0, 1); break;
    case KeyDoes::Up: to = neighbourCard(from, -1, 0); break;
    case KeyDoes::Down: to = neighbourCard(from, 1, 0); break;
    default: break;
    }
    if (to)
        card(to)->setFocus(Qt::OtherFocusReason);
    else
        QWidget::keyPressEvent(event);
}

} // namespace pairon12
