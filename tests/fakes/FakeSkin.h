#pragma once
// A skin that draws nothing, and a stand-in for a skin element that only has
// a name, for tests that drive the windows without a skin file.

#include "components/TSkin.h"

#include <QString>
#include <utility>

class NoSkin : public TSkin {
public:
    void OpenSkinFile(const QString&) override {}
    void PrepareWindow(QWidget*) override {}
    void ApplyFormToWindow(QWidget*, const QString&) override {}
    ISkinnedWindow* SkinnedWindowOf(QWidget*) override { return nullptr; }
};

class Element : public ISkinObject {
public:
    explicit Element(QString n) : name(std::move(n)) {}
    QString ElementName() const override { return name; }
    ISkinText* TextFacet() override { return nullptr; }
    ISkinCommon* CommonFacet() override { return nullptr; }
    ISkinScrollBar* ScrollBarFacet() override { return nullptr; }
    QString name;
};
