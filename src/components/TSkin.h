#pragma once
// Skin engine: draws whole windows from a skin file and reports the mouse on
// the named elements of each window's form. One engine serves every skinned
// window; element events of all of them arrive at the same signals and are
// told apart by element name.
//
// Element and window objects belong to the engine. They stay valid while the
// engine and the skinned widget live; applying the same form to a window
// again keeps them.

#include <QObject>
#include <QString>

class QWidget;

// Text facet, on text elements only.
class ISkinText {
public:
    virtual ~ISkinText() = default;
    // Shows after RedrawElement(); an empty text clears the element.
    virtual void SetElementText(const QString& text) = 0;
};

// Common facet, on every element.
class ISkinCommon {
public:
    virtual ~ISkinCommon() = default;
    // Takes effect at once. A disabled element draws its disabled look and
    // gives no clicks; presses and releases on it are still reported.
    virtual void SetElementEnabled(bool enabled) = 0;
    virtual bool ElementEnabled() const = 0;
    virtual void RedrawElement() = 0;
};

// Scroll-bar facet, on scroll bars and progress bars. Positions run 0..980.
class ISkinScrollBar {
public:
    static constexpr int kMaxPosition = 980;

    virtual ~ISkinScrollBar() = default;
    // The position set by the program or, after a drag, where the user left it.
    virtual int BarPosition() const = 0;
    // Clamped to 0..980; shows after RedrawElement().
    virtual void SetBarPosition(int position) = 0;
};

class ISkinObject {
public:
    virtual ~ISkinObject() = default;
    virtual QString ElementName() const = 0;
    // Each returns nullptr when the element lacks that facet.
    virtual ISkinText* TextFacet() = 0;
    virtual ISkinCommon* CommonFacet() = 0;
    virtual ISkinScrollBar* ScrollBarFacet() = 0;
};

class ISkinnedWindow {
public:
    virtual ~ISkinnedWindow() = default;
    // nullptr when the window's form has no element of that name.
    virtual ISkinObject* ElementByName(const QString& name) = 0;
};

class TSkin : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TSkin() override = default;

    // Each of these four raises TamselError when it fails.
    virtual void OpenSkinFile(const QString& path) = 0;
    // Makes the window frameless; a visible window is shown again afterwards.
    // Its title and button hints go too: window managers draw a title bar
    // for them even on a frameless window.
    virtual void PrepareWindow(QWidget* window) = 0;
    // Sizes the window to the form and draws the form as its face; the
    // window's own child widgets stay on top of it.
    virtual void ApplyFormToWindow(QWidget* window, const QString& form) = 0;
    virtual ISkinnedWindow* SkinnedWindowOf(QWidget* window) = 0;

signals:
    // A press and a release of the left button on the same enabled element.
    void OnClick(ISkinObject* source);
    // button is the Qt::MouseButton; x, y are window coordinates. Presses and
    // releases continue to the window's own mouse handlers after these. Every
    // OnMouseDown is followed by one OnMouseUp for the same element and button.
    // An element pressed from the keyboard, by a shortcut or by a screen
    // reader reports what a click reports, in the same order (the window's
    // own handlers included), with button 0 (Qt::NoButton) at its centre; a
    // bar moved by keys reports so once it holds its new position.
    void OnMouseDown(ISkinObject* source, int button, int x, int y);
    void OnMouseUp(ISkinObject* source, int button, int x, int y);
};
