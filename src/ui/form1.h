#pragma once

#include "game.h"

#include <QTimer>
#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;

namespace pairon12 {

class Label;
class PictureBox;

// The one window. It owns the controls and the rules, turns clicks on card targets
// and on "Ancora" into calls on the rules, and mirrors what the rules report.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(Game::Clock clock = Game::steadyClock(), Game::Seeder seeder = Game::freshlySeeded(),
                   QWidget *parent = nullptr);
    ~Form1() override;

    const Game &game() const { return m_game; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void wireRules();
    void onPauseTimer();
    QWidget *resultsWidget(ResultsControl control) const;
    // The grid cell whose card target `widget` is, 0 for any other control.
    int cellOf(const QWidget *widget) const;
    void setKeyboardCue(bool shown);
    void repaintFocus(QWidget *widget);

    Game m_game;
    // Indexed by the controls' own numbers; element 0 is unused.
    std::array<Label *, 29> m_label{};
    std::array<PictureBox *, 39> m_image{};
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QPushButton *m_command1 = nullptr;
    // A child of the window, so that closing it mid-pause leaves nothing to fire.
    QTimer m_pauseTimer;
};

} // namespace pairon12
