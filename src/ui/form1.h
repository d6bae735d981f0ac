#pragma once

#include "game.h"
#include "ink.h"
#include "keys.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <array>

class QPushButton;

namespace pairon12 {

class Announcer;
class Card;
class Label;
class PictureBox;
class ResultBox;

// The one window. It owns the controls and the rules, turns clicks and keys on the
// cards and on "Ancora" into calls on the rules, and shows what the rules report.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(Game::Clock clock = Game::steadyClock(), Game::Seeder seeder = Game::freshlySeeded(),
                   const QString &platform = QGuiApplication::platformName(), QWidget *parent = nullptr);
    ~Form1() override;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void wireRules();
    // The player's colours made anew from the palette, and given to the controls that
    // keep colours of their own.
    void recolour();
    // A new game: the results hidden, a fresh deal, every card face down.
    void Form_Load();
    void Command1_Click();
    void HideAllFaces();
    void giveFace(int pos, char letter);
    void showResults(qint64 seconds, qint64 attempts);
    std::array<QWidget *, 5> resultsPanel() const;
    void onPauseTimer();
    void setKeyboardCue(bool shown);
    KeyboardAt keyboardAt() const;
    Card *card(int pos) const { return m_cards[static_cast<std::size_t>(pos - 1)]; }

    Game m_game;
    // Read by every control that draws in them.
    Colours m_colours;
    std::array<Card *, CardCount> m_cards{};
    Label *m_centre = nullptr;
    Label *m_instruction = nullptr;
    Label *m_attemptsCaption = nullptr;
    Label *m_secondsCaption = nullptr;
    // By letter, in the rules' order.
    std::array<PictureBox *, PairCount> m_facePictures{};
    PictureBox *m_transferSlot = nullptr;
    ResultBox *m_text1 = nullptr;
    ResultBox *m_text2 = nullptr;
    QPushButton *m_command1 = nullptr;
    Announcer *m_announcer = nullptr;
    // The last key let go of, to know its repeats by.
    struct {
        int key = 0;
        quint64 timestamp = 0;
    } m_lastRelease;
    const KeyRepeats m_repeats;
    // A member, so that it dies with the window, before the controls it would touch:
    // closing the window mid-pause leaves nothing to fire.
    QTimer m_pauseTimer;
};

} // namespace pairon12
