#pragma once

#include "board.h"

#include <QObject>

#include <functional>

namespace pairon12 {

// The rules of one game. They know cards only by position (1..24) and letter, and
// tell what happened through their signals; what that looks like is the window's affair.
class Game : public QObject
{
    Q_OBJECT

public:
    // Seconds on a monotonic clock.
    using Clock = std::function<double()>;
    // Uniform values in [0, 1).
    using UniformSource = std::function<double()>;
    // Hands out a freshly seeded source for every deal.
    using Seeder = std::function<UniformSource()>;

    static constexpr double PauseLength = 0.5;

    static Clock steadyClock();
    static Seeder freshlySeeded();

    explicit Game(Clock clock = steadyClock(), Seeder seeder = freshlySeeded(), QObject *parent = nullptr);

    // A new game: the clock restarted, the counters at zero, the 24 letters shuffled
    // over the positions and every card face down.
    void deal();
    // The player turns the card at `pos`. Refused, and not counted, while a failed
    // pair is still up or when that card already shows its face.
    void pick(int pos);
    // Turns a failed pair down once PauseLength has passed on the game's clock. Gives
    // the seconds still to wait, 0 once no pause is left.
    double endPauseIfDue();

signals:
    // During a deal, position by position: the letter that `pos` now carries.
    void dealt(int pos, char letter);
    void turnedUp(int pos);
    void pairFound(int first, int second);
    // The turn's two cards differ: both stay up until the pause has passed, and then
    // turn back face down.
    void pairFailed(int first, int second, double pauseSeconds);
    void turnedBack(int first, int second);
    // The twelfth pair: whole seconds since the deal, and turns taken.
    void finished(qint64 seconds, qint64 attempts);

private:
    Clock m_clock;
    Seeder m_seeder;
    BoardState m_state;
};

} // namespace pairon12
