#pragma once
// A desktop notifier that keeps what it was asked to show.

#include "platform/DesktopNotifier.h"

#include <QStringList>

class FakeDesktopNotifier : public DesktopNotifier {
public:
    // Each notice as "summary: body".
    QStringList shown;

    void notify(const QString& summary, const QString& body) override { shown << summary + ": " + body; }
};
