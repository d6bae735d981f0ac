#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>

namespace pairon12 {

// Tells a screen reader's user what happened, without a pixel on the screen: a status
// bar of no size whose notices, also of no size, are shown to say something.
//
// Why this way round: Orca 43 cannot speak a change of name or description as Qt 6.4
// sends it (the object itself, where the new text belongs), and Qt 6.4 drops alerts.
// What Orca does speak, whatever has the keyboard, is a notification that comes into
// view; inside a status bar, without the word "notification".
class Announcer : public QWidget
{
    Q_OBJECT

public:
    explicit Announcer(QWidget *window);
    // Said as one with the rest of what is said before control returns to the event
    // loop, or at flush().
    void say(const QString &text);
    void flush();

private:
    std::array<QWidget *, 2> m_notices{};
    std::size_t m_next = 0;
    QStringList m_pending;
    // Fires once control is back in the event loop.
    QTimer m_turnOver;
};

} // namespace pairon12
