#include "resultbox.h"

#include <QAccessible>

namespace pairon12 {

ResultBox::ResultBox(QWidget *parent) : QLineEdit(parent)
{
    setEnabled(false);
    setReadOnly(true);
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text != m_number)
            setText(m_number);
    });
}

void ResultBox::showNumber(const QString &number)
{
    m_number = number;
    setText(number);
}

void ResultBox::setVisible(bool visible)
{
    QLineEdit::setVisible(visible);
#ifdef Q_OS_WASM
    // Qt 6.8's WebAssembly platform writes a line edit's name over its text in the page as
    // the box comes to be shown: the text is given to the page again, after that.
    if (visible) {
        QAccessibleTextInsertEvent event(this, 0, text());
        QAccessible::updateAccessibility(&event);
    }
#endif
}

} // namespace pairon12
