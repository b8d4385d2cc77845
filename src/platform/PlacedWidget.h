#pragma once
// The windows lay out their controls at fixed places, each named so tests and
// screen readers find it: one way to make such a control.

#include <QRect>
#include <QString>
#include <QWidget>

template <class Widget>
Widget* placed(QWidget* parent, const char* name, QRect where)
{
    auto* w = new Widget(parent);
    w->setObjectName(name);
    w->setGeometry(where);
    return w;
}

// A button, check box or radio button with its text.
template <class Button>
Button* placedButton(QWidget* parent, const char* name, const QString& text, QRect where)
{
    auto* b = placed<Button>(parent, name, where);
    b->setText(text);
    return b;
}
