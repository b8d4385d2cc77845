#pragma once
// Tag and information window: the technical data and the tag of the join
// list's selected file, or the default tag of new recordings when nothing is
// selected.

#include <QDialog>
#include <functional>

class Dialogs;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class SettingsFile;
class TAudioInformation2;

class Tfm_id3 : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_id3(QWidget* parent = nullptr);

    // The genre list holds the component's genres 0 to 147, position = index.
    static constexpr int GenreCount = 148;

    // The information component; its genre names fill the genre list.
    void setInformation(TAudioInformation2* information);
    // The settings file holding the default tag; it opens with the main window.
    void setSettings(std::function<SettingsFile*()> source) { settings_ = std::move(source); }
    // The path of the join list's selected entry, empty when none is selected.
    void setSelectedEntry(std::function<QString()> source) { selectedEntry_ = std::move(source); }
    void setDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }

    QLineEdit* infoFileName;
    QLineEdit* infoTitle;
    QLineEdit* infoArtist;
    QLineEdit* infoAlbum;
    QComboBox* infoGenre;
    QLineEdit* infoYear;
    QLineEdit* infoTrack;
    QLineEdit* infoComment;

    QGroupBox* gb_technical;
    QLineEdit* infoFrequency;
    QLineEdit* infoBitrate;
    QLineEdit* infoDuration;
    QLineEdit* infoChannels;
    QLineEdit* infoSamples;
    QLineEdit* infoSize;
    QLineEdit* infoBitsPerSample;
    QLineEdit* infoFormatTag;

    QPushButton* btnApply;
    QPushButton* btnReset;
    QPushButton* Button2;

    // True while the default tag is edited, false while a file's tag is.
    bool editingDefaults = false;

    void FormCreate();
    // Chooses the mode and fills the fields; exec runs it before showing, so
    // a file that cannot be read is reported and the window stays closed.
    void FormShow();
    void btnApplyClick();
    void btnResetClick();
    void Button2Click();
    // Any other printable character becomes a backspace.
    void infoYearKeyPress(QChar& key);
    void infoTrackKeyPress(QChar& key);

    int exec() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTechnicalData();
    void selectGenre(int index);
    void saveDefaults();
    bool saveToFile(const QString& path);
    void rememberShown();

    TAudioInformation2* information_ = nullptr;
    std::function<SettingsFile*()> settings_;
    std::function<QString()> selectedEntry_;
    Dialogs* dialogs_ = nullptr;
    QString path_;
    // The file's tag as the fields showed it: only what the user changed
    // from this is staged, so what the window shows reduced (a full date,
    // a track count, a genre outside the list, several artists) stays.
    struct Shown {
        QString title, artist, album, comment;
        int genre = -1, year = 0, track = 0;
    } shown_;
    // An Ok that failed after staging: its values are dropped before the next.
    bool stagedUnwritten_ = false;
};
