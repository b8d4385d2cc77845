#pragma once
// Output directory window: a folder tree to pick or make the output folder.
// It opens on the folder the settings window shows. Ok stores the choice as
// "output"/"path" and puts it into the settings window's directory box; the
// recording folder changes when that is saved.

#include <QDialog>
#include <functional>

class QFileSystemModel;
class QPushButton;
class QTreeView;
class SettingsFile;
class Tfm_set;

class Tfm_dir : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_dir(QWidget* parent = nullptr);

    void setSettings(std::function<SettingsFile*()> source) { settings_ = std::move(source); }
    // The window it places itself on and whose ed_dir it fills.
    void setSettingsWindow(Tfm_set* window) { settingsWindow_ = window; }

    static constexpr char NewFolderName[] = "New Folder";

    QTreeView* ShellTreeView1;
    QPushButton* Button1;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

    // The selected folder's full path ("/" for the root), empty with none.
    QString selectedPath() const;
    // Opens the tree down to `path` and selects it, as a click on it does;
    // false when it is no folder.
    bool selectFolder(const QString& path);
    // Whether the user picked a folder since the window was shown; Ok
    // without a pick changes nothing.
    bool folderChosen() const { return chosen_; }
    // The folder New Folder makes under `selected`.
    static QString newFolderPath(const QString& selected);

    void FormShow();
    void btn_okClick();
    void btn_cancelClick();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void scrollToSelection();
    // Selects path, or its nearest existing parent, without counting it as
    // the user's choice.
    void revealFolder(const QString& path);
    // The folder the settings window's box shows, else the stored one.
    QString configuredFolder() const;

    QFileSystemModel* model_;
    std::function<SettingsFile*()> settings_;
    Tfm_set* settingsWindow_ = nullptr;
    bool chosen_ = false;
    bool revealing_ = false;
};
