#include "components/skin/SvgSkin.h"

#include "components/skin/SkinDocument.h"
#include "components/skin/SvgSkinnedWindow.h"
#include "platform/Error.h"

#include <QDir>
#include <QWidget>

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
    if (window->windowFlags().testFlag(Qt::FramelessWindowHint)) return;
    const bool visible = window->isVisible();
    window->setWindowFlags(window->windowFlags() | Qt::FramelessWindowHint);
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

SvgSkinnedWindow* SvgSkin::skinOf(QWidget* window) const
{
    if (window == nullptr) return nullptr;
    for (auto* s : window->findChildren<SvgSkinnedWindow*>(QString(), Qt::FindDirectChildrenOnly))
        if (s->engine() == this) return s;
    return nullptr;
}
