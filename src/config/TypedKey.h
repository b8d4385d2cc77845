#pragma once
// The character a key press types, for the digits-only boxes' key filters.
// X11 gives Tab, Delete, Enter, Escape, Backspace and Ctrl shortcuts control
// characters as their text; none of them types a character here, so they
// keep their usual meaning.

#include <QKeyEvent>
#include <optional>

inline std::optional<QChar> typedCharacter(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const QString text = event.text();
    if (text.size() != 1 || !text[0].isPrint()) return std::nullopt;
    return text[0];
}
