#include "announcer.h"

#include <QAccessibleWidget>

namespace pairon12 {

namespace {

class Notice : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
};

QAccessibleInterface *announcerParts(const QString &, QObject *object)
{
    if (auto *notice = qobject_cast<Notice *>(object))
        return new QAccessibleWidget(notice, QAccessible::Notification);
    if (auto *announcer = qobject_cast<Announcer *>(object))
        return new QAccessibleWidget(announcer, QAccessible::StatusBar);
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget *window) : QWidget(window), m_turnOver(this)
{
    QAccessible::installFactory(announcerParts);
    m_turnOver.setSingleShot(true);
    m_turnOver.setInterval(0);
    connect(&m_turnOver, &QTimer::timeout, this, &Announcer::flush);
    setFixedSize(0, 0);
    for (auto &notice : m_notices) {
        notice = new Notice(this);
        notice->setFixedSize(0, 0);
        notice->hide();
    }
}

void Announcer::say(const QString &text)
{
    m_pending << text;
    m_turnOver.start();
}

void Announcer::flush()
{
    m_turnOver.stop();
    if (m_pending.isEmpty())
        return;
    // Orca reads a notice's name only when it comes to the event, and drops a second
    // showing of a notice it has not come to yet: two take turns, so that the one
    // last shown keeps its words while the other says the next thing.
    QWidget *notice = m_notices[m_next];
    m_next = (m_next + 1) % m_notices.size();
    notice->setAccessibleName(m_pending.join(QLatin1Char(' ')));
    m_pending.clear();
    notice->hide();
    notice->show();
}

} // namespace pairon12

#include "announcer.moc"
