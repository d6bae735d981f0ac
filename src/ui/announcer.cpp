#include "announcer.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QWidget>

#include <array>

namespace pairon12 {

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)

Announcer::Announcer(QWidget *window) : QObject(window), m_window(window), m_turnOver(this)
{
    m_turnOver.setSingleShot(true);
    connect(&m_turnOver, &QTimer::timeout, this, &Announcer::flush);
    window->installEventFilter(this);
}

bool Announcer::eventFilter(QObject *watched, QEvent *event)
{
    // Orca 48 names a window as it comes to the front, but no longer says its
    // description, where the game says how it is played: said once, on the first. Not at
    // once: Orca drops an announcement that reaches it before the window's activation,
    // and has the window's name and the card with the keyboard to say first.
    if (watched == m_window && event->type() == QEvent::WindowActivate && !m_introduced) {
        m_introduced = true;
        QTimer::singleShot(IntroductionDelayMs, this, [this] { say(m_window->accessibleDescription()); });
    }
    return false;
}

void Announcer::flush()
{
    m_turnOver.stop();
    if (m_pending.isEmpty())
        return;
    // Orca 48 drops an event of a kind that comes less than 100 ms after another from the
    // same program, unless its source has the keyboard, and a quick player's second card
    // comes sooner than that: it waits, and whatever else is to be said by then is said
    // with it.
    if (m_lastSent.isValid() && m_lastSent.elapsed() < AnnouncementSpacingMs) {
        m_turnOver.start(static_cast<int>(AnnouncementSpacingMs - m_lastSent.elapsed()));
        return;
    }
    // From the control with the keyboard, which that guard lets through whenever it comes:
    // Orca may hear two at once after a busy moment. Polite: it waits for the words
    // before it to end rather than cutting them off.
    QWidget *focused = m_window->focusWidget();
    QAccessibleAnnouncementEvent event(focused ? focused : m_window, m_pending.join(QLatin1Char(' ')));
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    m_pending.clear();
    QAccessible::updateAccessibility(&event);
    m_lastSent.start();
}

#else

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
        for (auto &notice : m_notices) {
            notice = new Notice(this);
            notice->setFixedSize(0, 0);
            notice->hide();
        }
    }

    void tell(const QString &text)
    {
        // Orca reads a notice's name only when it comes to the event, and drops a second
        // showing of a notice it has not come to yet: two take turns, so that the one
        // last shown keeps its words while the other says the next thing.
        QWidget *notice = m_notices[m_next];
        m_next = (m_next + 1) % m_notices.size();
        notice->setAccessibleName(text);
        notice->hide();
        notice->show();
    }

private:
    std::array<QWidget *, 2> m_notices{};
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

} // namespace

Announcer::Announcer(QWidget *window) : QObject(window), m_statusBar(new StatusBar(window)), m_turnOver(this)
{
    QAccessible::installFactory(statusBarParts);
    m_turnOver.setSingleShot(true);
    connect(&m_turnOver, &QTimer::timeout, this, &Announcer::flush);
}

void Announcer::flush()
{
    m_turnOver.stop();
    if (m_pending.isEmpty())
        return;
    m_statusBar->tell(m_pending.join(QLatin1Char(' ')));
    m_pending.clear();
}

#endif

void Announcer::say(const QString &text)
{
    m_pending << text;
    // One already waiting says this too.
    if (!m_turnOver.isActive())
        m_turnOver.start(0);
}

} // namespace pairon12

#include "announcer.moc"
