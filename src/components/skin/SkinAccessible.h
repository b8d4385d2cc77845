#pragma once
// What screen readers see of a skinned window: the window with one
// accessible object per element beside its own child widgets, each with its
// role, name, state and actions. Pressing one through a screen reader is a
// press from the keyboard.

class QWidget;
class SvgSkinElement;

namespace SkinAccessible {

// Called when the skin takes the window: screen readers see its elements
// from then on.
void adopt(QWidget& window);
// The element is going away; so does its accessible object.
void forget(const SvgSkinElement& element);

// News for a screen reader that listens; nothing otherwise.
void focused(SvgSkinElement& element);
void nameChanged(SvgSkinElement& element);
void valueChanged(SvgSkinElement& element);
void enabledChanged(SvgSkinElement& element);
void pressedChanged(SvgSkinElement& element);

}  // namespace SkinAccessible
