#pragma once

#include "board.h"

#include <QObject>
#include <QString>

#include <functional>

namespace pairon12 {

// The rules of one game board. The window turns clicks into calls here and follows
// the signals to show, hide and hand over pictures; it never reads the record itself.
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

    // Deals a new game: counters to zero, results hidden, every card face down.
    void Form_Load();
    // A click on the face-down card at position 1..24.
    void pick(int pos);
    // "Ancora".
    void Command1_Click();

    // The failed pair stays up until at least PauseLength has passed. The window's
    // timer asks; the pair is turned down only once the time is really up.
    bool pausing() const { return m_pausing; }
    double pauseRemaining() const;
    bool endPauseIfDue();

    const BoardState &state() const { return m_state; }
    bool cardPictureShown(int cell) const;
    bool resultsControlShown(ResultsControl control) const;
    // Which face picture control's picture a picture control holds, 0 for none.
    int pictureHeldBy(int imageControl) const;
    const QString &secondsText() const { return m_secondsText; }
    const QString &attemptsText() const { return m_attemptsText; }

signals:
    void cardPictureShownChanged(int cell, bool shown);
    // Picture control `to` now holds the very picture that control `from` holds.
    void pictureGiven(int to, int from);
    void resultsTextsChanged(const QString &seconds, const QString &attempts);
    void resultsControlShownChanged(pairon12::ResultsControl control, bool shown);
    void pauseStarted(double seconds);

private:
    void giveTo(int to, int from);
    void setCardPictureShown(int cell, bool shown);
    void setResultsShown(bool shown);
    void HideAllFaces();
    void HideFailedPair();
    void showResults();

    Clock m_clock;
    Seeder m_seeder;
    BoardState m_state;
    bool m_pausing = false;
    std::array<bool, GridCells + 1> m_cardShown{};
    std::array<bool, AllResultsControls.size()> m_resultsShown{};
    std::array<int, TransferSlot + 1> m_held{};
    QString m_secondsText;
    QString m_attemptsText;
};

} // namespace pairon12
