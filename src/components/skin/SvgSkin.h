#pragma once
// The skin engine over SVG skin files (see SkinDocument for the file's form).

#include "components/TSkin.h"

#include <memory>
#include <vector>

class SkinDocument;
class SvgSkinnedWindow;

class SvgSkin final : public TSkin {
    Q_OBJECT
public:
    explicit SvgSkin(QObject* parent = nullptr);
    ~SvgSkin() override;

    void OpenSkinFile(const QString& path) override;
    void PrepareWindow(QWidget* window) override;
    void ApplyFormToWindow(QWidget* window, const QString& form) override;
    ISkinnedWindow* SkinnedWindowOf(QWidget* window) override;

    // The shown windows this engine skins, top to bottom.
    std::vector<SvgSkinnedWindow*> skinnedWindows() const;

private:
    SvgSkinnedWindow* skinOf(QWidget* window) const;

    std::shared_ptr<const SkinDocument> document_;
};
