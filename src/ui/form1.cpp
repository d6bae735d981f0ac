#include "form1.h"

#include "label.h"
#include "layout.h"
#include "picturebox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace pairon12 {

namespace {

struct Face {
    const char *resource;
    const char *name;
};

// In the order of the face letters "a".."n".
constexpr std::array<Face, PairCount> Faces{{
    {":/faces/a-aeroplane.svg", "aeroplano"},
    {":/faces/b-car.svg", "automobile"},
    {":/faces/c-die.svg", "dado"},
    {":/faces/d-butterfly.svg", "farfalla"},
    {":/faces/e-maple-leaf.svg", "foglia d'acero"},
    {":/faces/f-cat.svg", "gatto"},
    {":/faces/g-goldfish.svg", "pesce rosso"},
    {":/faces/h-rose.svg", "rosa"},
    {":/faces/i-beetle.svg", "coleottero"},
    {":/faces/l-two-of-diamonds.svg", "due di quadri"},
    {":/faces/m-daffodil.svg", "narciso"},
    {":/faces/n-heart.svg", "cuore"},
}};

QString faceDownName(int pos) { return QStringLiteral("Carta %1, coperta").arg(pos); }

// Greyed text that still reads on the button-face ground.
const QColor DisabledText(0x6d, 0x6d, 0x6d);

} // namespace

QFont captionFont(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    // Every caption is Latin text that the face covers: no fallback faces to look up.
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setPixelSize(static_cast<int>(std::lround(points * TwipsPerPoint / TwipsPerPixel)));
    font.setBold(true);
    return font;
}

Form1::Form1(Game::Clock clock, Game::Seeder seeder, QWidget *parent)
    : QWidget(parent)
    , m_game(std::move(clock), std::move(seeder))
    , m_pauseTimer(this)
{
    setObjectName(QStringLiteral("Form1"));
    // Before any card exists: a screen reader's view of a control is made as it is named.
    installCardAccessibility();
    // Children inherit the captions' face from the start, so the platform's default
    // face is never looked up or loaded.
    setFont(captionFont(12));
    setWindowTitle(QStringLiteral("Pairon12"));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    QPalette pal = palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, DisabledText);
    setPalette(pal);
    resize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips));

    buildControls();
    wireRules();
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    m_pauseTimer.setObjectName(QStringLiteral("pauseTimer"));
    connect(&m_pauseTimer, &QTimer::timeout, this, &Form1::onPauseTimer);

    m_game.Form_Load();
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    // Created from the bottom of the stack up: each new sibling lies above the
    // ones before it, and Qt draws and routes clicks in that order.
    auto makeCardTarget = [this](int cell) {
        auto *label = new Label(Label::Kind::Card, this);
        label->setObjectName(QStringLiteral("Label%1").arg(cell));
        label->setGeometry(cellRect(cell));
        const int pos = cardPositionOf(cell);
        label->setAccessibleName(faceDownName(pos));
        connect(label, &Label::clicked, this, [this, pos] { m_game.pick(pos); });
        m_label[cell] = label;
    };
    auto makePicture = [this](int number, QRect rect) {
        auto *image = new PictureBox(this);
        image->setObjectName(QStringLiteral("Image%1").arg(number));
        image->setGeometry(rect);
        m_image[number] = image;
        return image;
    };

    for (int cell = 1; cell <= GridCells; ++cell)
        if (cell != CentreCell)
            makeCardTarget(cell);
    for (int cell = 1; cell < CentreCell; ++cell)
        makePicture(cell, cellRect(cell))->setCard(m_label[cell]);
    makePicture(CentreCell, cellRect(CentreCell));

    auto *centre = new Label(Label::Kind::Marker, this);
    centre->setObjectName(QStringLiteral("Label13"));
    centre->setGeometry(cellRect(CentreCell));
    centre->setText(QStringLiteral("X"));
    centre->setAlignment(Qt::AlignCenter);
    centre->setFont(captionFont(48));
    centre->setFixedTextColour(Qt::red);
    centre->setEnabled(false);
    centre->setAccessibleName(QStringLiteral("X, centro del tavolo"));
    m_label[CentreCell] = centre;

    for (int cell = CentreCell + 1; cell <= GridCells; ++cell)
        makePicture(cell, cellRect(cell))->setCard(m_label[cell]);

    // Set on each control rather than only inherited from the window: a desktop theme
    // may give buttons and text boxes faces of their own.
    const QFont results = captionFont(12);
    for (const auto &entry : OffGridControls) {
        const QString name = QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size()));
        // "Image" and "Label" are both five letters long; the boxes and the button need no number.
        const int number = name.mid(5).toInt();
        switch (entry.kind) {
        case ControlKind::Picture: {
            auto *image = makePicture(number, entry.rect());
            if (number < TransferSlot) {
                const Face &face = Faces[static_cast<std::size_t>(number - FirstFacePicture)];
                image->setPicture(
                    std::make_shared<FacePicture>(QString::fromLatin1(face.resource), QString::fromUtf8(face.name)));
            }
            image->hide();
            break;
        }
        case ControlKind::Label: {
            auto *label = new Label(Label::Kind::Caption, this);
            label->setObjectName(name);
            label->setGeometry(entry.rect());
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setEnabled(false);
            m_label[number] = label;
            break;
        }
        case ControlKind::TextBox: {
            auto *box = new QLineEdit(this);
            box->setObjectName(name);
            box->setGeometry(entry.rect());
            box->setFont(results);
            box->setEnabled(false);
            box->hide();
            // The light grey of a scroll bar's track, set apart from the window's ground.
            QPalette pal = box->palette();
            for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                pal.setColor(group, QPalette::Base, pal.color(QPalette::Active, QPalette::Midlight));
            box->setPalette(pal);
            const bool seconds = name == QLatin1String("Text1");
            box->setAccessibleName(seconds ? QStringLiteral("Secondi impiegati") : QStringLiteral("Tentativi"));
            (seconds ? m_text1 : m_text2) = box;
            break;
        }
        case ControlKind::Button:
            m_command1 = new QPushButton(QStringLiteral("Ancora"), this);
            m_command1->setObjectName(name);
            m_command1->setGeometry(entry.rect());
            m_command1->setFont(results);
            // Enter as well as Space presses it while it has the focus.
            m_command1->setAutoDefault(true);
            connect(m_command1, &QPushButton::clicked, this, [this] {
                m_pauseTimer.stop();
                m_game.Command1_Click();
            });
            break;
        }
    }

    m_label[28]->setText(QStringLiteral("Secondi impiegati :"));
    m_label[28]->setFont(results);
    m_label[28]->hide();
    m_label[27]->setText(QStringLiteral("Tentativi :"));
    m_label[27]->setFont(results);
    m_label[27]->hide();
    m_label[26]->setText(QStringLiteral("Selezionare le caselle con il mouse"));
    m_label[26]->setFont(captionFont(9.75));
    m_label[26]->setWordWrap(true);

    // Offered only to the controls that can take the keyboard at all.
    setFocusPolicy(Qt::NoFocus);
}

QWidget *Form1::resultsWidget(ResultsControl control) const
{
    switch (control) {
    case ResultsControl::Text1: return m_text1;
    case ResultsControl::Text2: return m_text2;
    case ResultsControl::Label27: return m_label[27];
    case ResultsControl::Label28: return m_label[28];
    case ResultsControl::Command1: return m_command1;
    }
    return nullptr;
}

void Form1::wireRules()
{
    connect(&m_game, &Game::cardPictureShownChanged, this, [this](int cell, bool shown) {
        PictureBox *image = m_image[cell];
        image->setVisible(shown);
        // A card names its picture only while it is face up; the picture itself stays
        // nameless, so that a screen reader meets each card once.
        const int pos = cardPositionOf(cell);
        m_label[cell]->setAccessibleName(shown && image->picture()
                                             ? QStringLiteral("Carta %1: %2").arg(pos).arg(image->picture()->name())
                                             : faceDownName(pos));
    });
    connect(&m_game, &Game::pictureGiven, this,
            [this](int to, int from) { m_image[to]->setPicture(m_image[from]->picture()); });
    connect(&m_game, &Game::resultsTextsChanged, this, [this](const QString &seconds, const QString &attempts) {
        m_text1->setText(seconds);
        m_text2->setText(attempts);
    });
    connect(&m_game, &Game::resultsControlShownChanged, this, [this](ResultsControl control, bool shown) {
        resultsWidget(control)->setVisible(shown);
        // The keyboard goes to "Ancora" at the end of a game, and back to the first card
        // when a new one is dealt.
        if (control == ResultsControl::Command1)
            (shown ? static_cast<QWidget *>(m_command1) : m_label[gridCellOf(1)])->setFocus();
    });
    connect(&m_game, &Game::pauseStarted, this,
            [this](double seconds) { m_pauseTimer.start(static_cast<int>(std::ceil(seconds * 1000))); });
}

int Form1::cellOf(const QWidget *widget) const
{
    const auto found = std::find(m_label.begin() + 1, m_label.begin() + GridCells + 1, widget);
    const int cell = static_cast<int>(found - m_label.begin());
    return widget && cell <= GridCells && cell != CentreCell ? cell : 0;
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Every press of a key or a mouse button in the window passes here first, whichever
    // control it goes to, disabled ones included.
    windowHandle()->installEventFilter(this);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle()) {
        if (event->type() == QEvent::MouseButtonPress) {
            setKeyboardCue(false);
        } else if (event->type() == QEvent::KeyPress) {
            switch (static_cast<QKeyEvent *>(event)->key()) {
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Home:
            case Qt::Key_End:
            case Qt::Key_Space:
            case Qt::Key_Return:
            case Qt::Key_Enter: setKeyboardCue(true); break;
            default: break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::setKeyboardCue(bool shown)
{
    // The attribute is also what tells the style to draw "Ancora"'s own focus frame.
    if (testAttribute(Qt::WA_KeyboardFocusChange) == shown)
        return;
    setAttribute(Qt::WA_KeyboardFocusChange, shown);
    repaintFocus(focusWidget());
}

void Form1::repaintFocus(QWidget *widget)
{
    if (!widget || widget->window() != this)
        return;
    widget->update();
    if (const int cell = cellOf(widget))
        m_image[cell]->update();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    const int cell = cellOf(focusWidget());
    int to = 0;
    switch (event->key()) {
    case Qt::Key_Home: to = gridCellOf(1); break;
    case Qt::Key_End: to = gridCellOf(CardCount); break;
    case Qt::Key_Left: to = cell ? neighbourCell(cell, 0, -1) : 0; break;
    case Qt::Key_Right: to = cell ? neighbourCell(cell, 0, 1) : 0; break;
    case Qt::Key_Up: to = cell ? neighbourCell(cell, -1, 0) : 0; break;
    case Qt::Key_Down: to = cell ? neighbourCell(cell, 1, 0) : 0; break;
    default: break;
    }
    if (to)
        m_label[to]->setFocus(Qt::OtherFocusReason);
    else
        QWidget::keyPressEvent(event);
}

void Form1::onPauseTimer()
{
    // A timer may fire a hair early; the rules have the last word on the half second.
    if (!m_game.endPauseIfDue() && m_game.pausing())
        m_pauseTimer.start(static_cast<int>(std::ceil(m_game.pauseRemaining() * 1000)) + 1);
}

} // namespace pairon12
