#include "components/skin/SvgSkin.h"

#include "components/skin/SkinDocument.h"
#include "components/skin/SvgSkinnedWindow.h"
#include "platform/Error.h"

#include <QApplication>
#include <QDir>
#include <QWidget>
#include <algorithm>

namespace {

constexpr Qt::WindowFlags kDecorationHints =
    Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
    | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint
    | Qt::WindowContextHelpButtonHint | Qt::WindowShadeButtonHint | Qt::WindowFullscreenButtonHint;

}  // namespace

SvgSkin::SvgSkin(QObject* parent) : TSkin(parent) {}
SvgSkin::~SvgSkin() = default;

void SvgSkin::OpenSkinFile(const QString& path)
{
    // Windows skinned earlier keep the document they were given.
    document_ = SkinDocument::load(path);
}

void SvgSkin::PrepareWindow(QWidget* window)
{
    if (window == nullptr) throw TamselError(QStringLiteral("Cannot skin a window that does not exist."));
    if (!window->isWindow()) return;
    // Rounded corners need a see-through backing, chosen before the native
    // window is made again for the new flags.
    window->setAttribute(Qt::WA_TranslucentBackground);
    // Qt still asks the window manager for a title bar when a frameless
    // window keeps customised title or button hints (openbox and xfwm4 draw
    // one), so only the window's type and its other hints stay.
    const Qt::WindowFlags flags = (window->windowFlags() & ~kDecorationHints) | Qt::FramelessWindowHint;
    if (flags == window->windowFlags()) return;
    const bool visible = window->isVisible();
    window->setWindowFlags(flags);
    if (visible) window->show();
}

void SvgSkin::ApplyFormToWindow(QWidget* window, const QString& form)
{
    if (document_ == nullptr)
        throw TamselError(QStringLiteral("Cannot apply the skin form \"%1\": no skin file is open.").arg(form));
    const SkinFormSpec* spec = document_->form(form);
    if (spec == nullptr)
        throw TamselError(QStringLiteral("Cannot apply the skin form \"%1\": the skin file %2 has no such form.")
                              .arg(form, QDir::toNativeSeparators(document_->path())));
    PrepareWindow(window);
    SvgSkinnedWindow* skinned = skinOf(window);
    if (skinned == nullptr) skinned = new SvgSkinnedWindow(*this, *window);
    skinned->applyForm(document_, *spec);
}

ISkinnedWindow* SvgSkin::SkinnedWindowOf(QWidget* window)
{
    SvgSkinnedWindow* skinned = skinOf(window);
    if (skinned == nullptr)
        throw TamselError(QStringLiteral("The window \"%1\" wears no skin form.")
                              .arg(window != nullptr ? window->windowTitle() : QString()));
    return skinned;
}

std::vector<SvgSkinnedWindow*> SvgSkin::skinnedWindows() const
{
    std::vector<SvgSkinnedWindow*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (SvgSkinnedWindow* s = skinOf(w); s != nullptr && w->isVisible()) windows.push_back(s);
    std::sort(windows.begin(), windows.end(), [](SvgSkinnedWindow* a, SvgSkinnedWindow* b) {
        const QPoint pa = a->window().pos(), pb = b->window().pos();
        return std::pair(pa.y(), pa.x()) < std::pair(pb.y(), pb.x());
    });
    return windows;
}

SvgSkinnedWindow* SvgSkin::skinOf(QWidget* window) const
{
    if (window == nullptr) return nullptr;
    for (auto* s : window->findChildren<SvgSkinnedWindow*>(QString(), Qt::FindDirectChildrenOnly))
        if (s->engine() == this) return s;
    return nullptr;
}
