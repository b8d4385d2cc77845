#pragma once
// Starting outside programs: the file manager on a folder, the help viewer.
// Behind an interface so that tests never start a desktop program.

#include <QString>

class Shell {
public:
    virtual ~Shell() = default;
    virtual void openFolder(const QString& folder) = 0;
    virtual void openDocument(const QString& path) = 0;
};

class DesktopShell : public Shell {
public:
    void openFolder(const QString& folder) override;
    void openDocument(const QString& path) override;
};
