#pragma once

#include <QStringView>
#include <Qt>

#include <array>

namespace pairon12 {

// What a key does as it goes down, by what has the keyboard.
enum class KeyDoes {
    Nothing,
    // Turns a card; deals anew on "Ancora", where Space deals as it comes up, as Qt's
    // buttons do. A held key presses once: its repeats press nothing.
    Press,
    // To the neighbouring card, stepping over the X and staying at the grid's edge.
    Left,
    Right,
    Up,
    Down,
    First,
    Last,
    // On along Qt's chain of controls that take the keyboard, cards row by row.
    Chain,
};

enum class KeyboardAt { Card, Ancora, Elsewhere };

// How a held key's repeats reach the window. Qt marks them as repeats, except on X11 on a
// busy machine: X11 sends each as a release and a press of one timestamp, which Qt marks
// only if the press is already in when it reads the release.
enum class KeyRepeats { Marked, SameTimestamp };

// The way each of Qt's platforms, by its name, sends them.
inline KeyRepeats keyRepeatsOn(QStringView platform)
{
    return platform == u"xcb" ? KeyRepeats::SameTimestamp : KeyRepeats::Marked;
}

// Every key the game answers to. Any of them shows the keyboard's ring.
struct KeyUse {
    Qt::Key key;
    KeyDoes onCard;
    KeyDoes onAncora;
    KeyDoes elsewhere;
};

// clang-format off
inline constexpr std::array<KeyUse, 11> Keys{{
    //  key             on a card         on "Ancora"       elsewhere
    {Qt::Key_Space,   KeyDoes::Press,   KeyDoes::Press,   KeyDoes::Nothing},
    {Qt::Key_Return,  KeyDoes::Press,   KeyDoes::Press,   KeyDoes::Nothing},
    {Qt::Key_Enter,   KeyDoes::Press,   KeyDoes::Press,   KeyDoes::Nothing},
    {Qt::Key_Left,    KeyDoes::Left,    KeyDoes::Nothing, KeyDoes::Nothing},
    {Qt::Key_Right,   KeyDoes::Right,   KeyDoes::Nothing, KeyDoes::Nothing},
    {Qt::Key_Up,      KeyDoes::Up,      KeyDoes::Nothing, KeyDoes::Nothing},
    {Qt::Key_Down,    KeyDoes::Down,    KeyDoes::Nothing, KeyDoes::Nothing},
    {Qt::Key_Home,    KeyDoes::First,   KeyDoes::First,   KeyDoes::First},
    {Qt::Key_End,     KeyDoes::Last,    KeyDoes::Last,    KeyDoes::Last},
    {Qt::Key_Tab,     KeyDoes::Chain,   KeyDoes::Chain,   KeyDoes::Chain},
    {Qt::Key_Backtab, KeyDoes::Chain,   KeyDoes::Chain,   KeyDoes::Chain},
}};
// clang-format on

// The row of `key`, or nothing for a key the game leaves alone.
constexpr const KeyUse *keyUse(int key)
{
    for (const KeyUse &use : Keys) {
        if (use.key == key)
            return &use;
    }
    return nullptr;
}

constexpr KeyDoes keyDoes(int key, KeyboardAt at)
{
    const KeyUse *use = keyUse(key);
    if (!use)
        return KeyDoes::Nothing;
    switch (at) {
    case KeyboardAt::Card: return use->onCard;
    case KeyboardAt::Ancora: return use->onAncora;
    case KeyboardAt::Elsewhere: return use->elsewhere;
    }
    return KeyDoes::Nothing;
}

} // namespace pairon12
