#pragma once
// Per-user guard that keeps a second copy of the program from starting. It is
// keyed on the application title, as a lock file in the user's runtime folder;
// a lock left by a crashed copy is taken over.

#include <QString>
#include <memory>

class QLockFile;

class SingleInstance {
public:
    // directory empty: the user's runtime folder.
    explicit SingleInstance(const QString& title, const QString& directory = {});
    ~SingleInstance();

    // True when this process now holds the guard; false when another copy does.
    bool acquire();
    QString lockPath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};
