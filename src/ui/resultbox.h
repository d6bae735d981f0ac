#pragma once

#include <QLineEdit>

namespace pairon12 {

// A box of the results: it shows the number the game gives it, and nothing else. Disabled
// and read-only, so that a screen reader presents it as it is; and since Qt's
// accessibility writes a line edit's text for an assistive tool or a page script all the
// same, read-only or not, whatever else it is given is undone at once, before it is drawn.
class ResultBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit ResultBox(QWidget *parent);
    void showNumber(const QString &number);
    void setVisible(bool visible) override;

private:
    QString m_number;
};

} // namespace pairon12
