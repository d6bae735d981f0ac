#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QWidget;

namespace pairon12 {

class StatusBar;

// Tells a screen reader's user what happened, without a pixel on the screen.
//
// Where Qt has announcements (6.8 on), it asks the screen reader to say the words: on
// Linux an AT-SPI announcement, on Windows a UI Automation notification. Qt 6.4 has none
// and drops alerts, and Orca 43 cannot speak a change of name as Qt 6.4 sends it; what
// Orca does speak, whatever has the keyboard, is a notification that comes into view.
// The announcer keeps a status bar of no size whose notices, also of no size, say it on
// Linux: shown with Qt 6.4, inside a status bar so without the word "notification"; as
// the source of the announcement with Qt 6.8.
// In a browser, where Qt's announcements go nowhere, the words go to the page's live
// region.
class Announcer : public QObject
{
    Q_OBJECT

public:
    explicit Announcer(QWidget *window);
    // Said as one with the rest of what is said before control returns to the event
    // loop, or at flush().
    void say(const QString &text);
    void flush();

private:
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    bool eventFilter(QObject *watched, QEvent *event) override;
    QWidget *window() const;

    static constexpr int IntroductionDelayMs = 500;

    bool m_introduced = false;
#endif
    StatusBar *m_statusBar;
    QStringList m_pending;
    // Fires once control is back in the event loop.
    QTimer m_turnOver;
};

} // namespace pairon12
