#pragma once
// One run of the real program as a person uses it: a private X server, an
// isolated home, settings and runtime folder, the program started from its
// build, and input only through xdotool. Everything the session starts it
// ends by its own process handle; its folders go with it.
//
// Clicks land at the skin elements' places read from the skin file the
// program itself loads, so a changed skin moves the clicks with it.
//
// Its system bus is a private one with a mock login manager on it: the
// program's power-off and sleep inhibitor reach that, never the machine.
//
// A window manager runs on the X server, as on a desktop: openbox, or the
// one $TAMSEL_E2E_WM names ("none" for a bare server).

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class MockLogind;
class SkinDocument;

namespace e2e {

class Session {
public:
    // program: an installed copy finds its skin in ../share/tamsel.
    // screen: the private X server's screen size.
    explicit Session(const QString& program = Session::program(), QSize screen = {1280, 1024});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Scratch files live here, apart from the program's home.
    QString scratch(const QString& name) const;
    QString home() const;
    QString defaultOutputFolder() const;
    QString settingsFile() const;
    void writeSettings(const QString& iniText) const;
    QString settingsText() const;
    // A value of tamsel.ini as it is on disk now, or "<missing>".
    QString setting(const QString& section, const QString& key) const;
    // Folders the program asked the desktop to open, in order.
    QStringList openedFolders() const;

    // The program run: build/tamsel, or $TAMSEL_E2E_PROGRAM. Its skin file
    // lies beside it.
    static QString program();
    static QString windowManager();
    // The private X server, for peers that talk to it.
    QString display() const { return display_; }
    // Starts the program and waits for its main window; false (with the
    // test failed) when it does not show.
    bool start();
    // Starts a program (the session's when empty) without waiting for its
    // windows, for starts that show something else first.
    bool launch(const QString& program = {});
    // Set in the program's environment at its next start.
    void setEnvironment(const QString& name, const QString& value) { environment_.insert(name, value); }
    qint64 processId() const { return program_.processId(); }
    bool running() const;
    bool waitForExit(int timeoutMs);

    // Ids of the shown windows whose title is exactly title ("" = any title).
    QStringList shownWindows(const QString& title = {}) const;
    bool shown(const QString& title) const { return !shownWindows(title).isEmpty(); }
    // The titles of every shown window, for failure messages.
    QString shownTitles() const;
    bool waitForWindow(const QString& title, int timeoutMs = 30000) const;
    bool waitForNoWindow(const QString& title, int timeoutMs = 30000) const;
    QPoint windowPosition(const QString& title) const;
    // Position and size on the screen, in the screen's pixels.
    QRect windowGeometry(const QString& title) const;
    // Where a child widget's spot of the shown window titled title is on screen.
    QPoint onWindow(const QString& title, QPoint local) const;

    // Skin forms: "mp3rec" is the main window, "listwin" the join list.
    QPoint elementCentre(const QString& form, const QString& element) const;
    // A spot of the form that belongs to no element: pressing it drags.
    QPoint faceSpot(const QString& form) const;
    void click(const QString& form, const QString& element) const;
    void doubleClick(const QString& form, const QString& element) const;
    void clickAt(QPoint screen) const;

    // The title of the window that has the keyboard, "" when none has.
    QString focusedWindow() const;
    // Keyboard input goes to the window that has the focus.
    void type(const QString& text) const;
    void keys(const QStringList& keys) const;
    // Runs xdotool on this session's display; its output.
    QString xdo(const QStringList& args) const;
    // Chooses a file in the open or save dialog titled title by typing its path.
    void answerFileDialog(const QString& title, const QString& path) const;

    // A 1 kHz tone (or hz) played into the sound server's default sink, which
    // the program records from through its monitor, or into the named sink.
    void startTone(double hz = 1000, const QString& sink = {});
    void stopTone();
    // Records the default sink's monitor while action runs and for seconds
    // after it; returns a WAV file.
    QString recordMonitor(const std::function<void()>& action, double seconds);

    MockLogind& logind() const { return *logind_; }

    // What the program printed, for failure messages.
    QString programOutput() const;

private:
    QProcessEnvironment programEnvironment() const;
    QString windowOf(const QString& form) const;
    void startDisplay();
    void startWindowManager();
    void end(QProcess& p);

    QTemporaryDir root_;
    QString programPath_;
    std::unique_ptr<MockLogind> logind_;
    QString display_;
    QSize screen_;
    QProcessEnvironment environment_;
    QProcess xvfb_;
    QProcess windowManager_;
    QProcess program_;
    QProcess tone_;
    std::shared_ptr<const SkinDocument> skin_;
};

}  // namespace e2e
