#include "announcer.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QWidget>

#include <array>

#ifdef Q_OS_WASM
#include <QApplication>

#include <emscripten/val.h>
#endif

namespace pairon12 {

namespace {

class Notice : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
};

} // namespace

class StatusBar : public QWidget
{
    Q_OBJECT

public:
    explicit StatusBar(QWidget *window) : QWidget(window)
    {
        setFixedSize(0, 0);
        // Named, as every control is, so that what stands for each in a web page has an id
        // of its own.
        setObjectName(QStringLiteral("statusBar"));
        for (std::size_t i = 0; i < m_notices.size(); ++i) {
            auto *notice = m_notices[i] = new Notice(this);
            notice->setObjectName(QStringLiteral("notice%1").arg(i + 1));
            notice->setFixedSize(0, 0);
            notice->hide();
        }
    }

    // Orca comes to what a notice says seconds late on a busy machine, a few turns behind
    // a quick player, and drops all but the last of what one notice said by then: Orca 43
    // a second showing, Orca 48 a second announcement of the same words. The notices take
    // turns, so that each keeps its words until as many more have been said.
    QWidget *next()
    {
        QWidget *notice = m_notices[m_next];
        m_next = (m_next + 1) % m_notices.size();
        return notice;
    }

private:
    std::array<QWidget *, 8> m_notices{};
    std::size_t m_next = 0;
};

namespace {

QAccessibleInterface *statusBarParts(const QString &, QObject *object)
{
    if (auto *notice = qobject_cast<Notice *>(object))
        return new QAccessibleWidget(notice, QAccessible::Notification);
    if (auto *bar = qobject_cast<StatusBar *>(object))
        return new QAccessibleWidget(bar, QAccessible::StatusBar);
    return nullptr;
}

#ifdef Q_OS_WASM

// The id of the element that Qt's WebAssembly platform makes to stand for a control in the
// page, made the way it makes it: the names of the control and those it lies in, or their
// classes where they have none.
std::string elementId(QAccessibleInterface *iface)
{
    QString id = iface->text(QAccessible::Identifier);
    if (!id.isEmpty())
        return id.toStdString();
    for (; iface; iface = iface->parent()) {
        if (!id.isEmpty())
            id.prepend(QLatin1Char('.'));
        if (const QObject *object = iface->object())
            id.prepend(object->objectName().isEmpty() ? QString::fromUtf8(object->metaObject()->className())
                                                      : object->objectName());
    }
    return id.toStdString();
}

#endif

} // namespace

Announcer::Announcer(QWidget *window) : QObject(window), m_statusBar(new StatusBar(window)), m_turnOver(this)
{
    QAccessible::installFactory(statusBarParts);
    m_turnOver.setSingleShot(true);
    connect(&m_turnOver, &QTimer::timeout, this, &Announcer::flush);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    window->installEventFilter(this);
#endif
#ifdef Q_OS_WASM
    // A browser's screen reader follows the page's focus, which Qt leaves where it was: the
    // page moves it to what stands for the control with the keyboard.
    connect(qApp, &QApplication::focusChanged, this, [](QWidget *, QWidget *now) {
        const auto page = emscripten::val::global("pairon12Page");
        if (now && !page.isUndefined())
            page.call<void>("focus", elementId(QAccessible::queryAccessibleInterface(now)));
    });
#endif
}

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)

// The announcer's parent, for as long as it lives.
QWidget *Announcer::window() const { return static_cast<QWidget *>(parent()); }

bool Announcer::eventFilter(QObject *watched, QEvent *event)
{
    // Orca 48 names a window as it comes to the front, but no longer says its
    // description, where the game says how it is played: said once, on the first. Not at
    // once: Orca drops an announcement that reaches it before the window's activation,
    // and has the window's name and the card with the keyboard to say first.
    if (watched == window() && event->type() == QEvent::WindowActivate && !m_introduced) {
        m_introduced = true;
        QTimer::singleShot(IntroductionDelayMs, this, [this] { say(window()->accessibleDescription()); });
    }
    return false;
}

#endif

void Announcer::flush()
{
    m_turnOver.stop();
    if (m_pending.isEmpty())
        return;
    const QString text = m_pending.join(QLatin1Char(' '));
    m_pending.clear();
#if defined(Q_OS_WASM)
    // Qt's WebAssembly platform takes announcements nowhere: the page says them, in a live
    // region. A page of Qt's own has none, and the words go unsaid there.
    const auto page = emscripten::val::global("pairon12Page");
    if (!page.isUndefined())
        page.call<void>("say", text.toStdString());
#elif QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#ifdef Q_OS_WIN
    // Where Windows' screen readers look for what to say.
    QWidget *source = window()->focusWidget() ? window()->focusWidget() : window();
#else
    // Orca 48 drops an event of a kind that comes less than 100 ms after another from the
    // same program, as a quick player's second card does, or as all do that reach it after
    // a busy moment, unless it comes from a notification.
    QWidget *source = m_statusBar->next();
#endif
    QAccessibleAnnouncementEvent event(source, text);
    // Polite: it waits for the words before it to end rather than cutting them off.
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&event);
#else
    // Orca reads a notice's name only as it comes to its showing.
    QWidget *notice = m_statusBar->next();
    notice->setAccessibleName(text);
    notice->hide();
    notice->show();
#endif
}

void Announcer::say(const QString &text)
{
    m_pending << text;
    // One already waiting says this too.
    if (!m_turnOver.isActive())
        m_turnOver.start(0);
}

} // namespace pairon12

#include "announcer.moc"
