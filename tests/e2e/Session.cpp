#include "e2e/Session.h"

#include "components/skin/SkinDocument.h"
#include "e2e/OutsideChecks.h"
#include "platform/Error.h"
#include "platform/IniFile.h"
#include "platform/MockLogind.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <gtest/gtest.h>

namespace e2e {

namespace {

constexpr int kMonitorBytesPerSecond = 44100 * 2 * 2;

QProcessEnvironment withDisplay(const QString& display)
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("DISPLAY", display);
    return e;
}

}  // namespace

Session::Session(const QString& program, QSize screen)
    : root_(QDir::temp().filePath("tamsel-e2e.XXXXXX")), programPath_(program),
      logind_(std::make_unique<MockLogind>()), screen_(screen)
{
    if (!logind_->failure().isEmpty()) ADD_FAILURE() << logind_->failure().toStdString();
    for (const char* dir : {"home", "config", "run", "bin", "scratch"}) QDir(root_.path()).mkpath(dir);
    QFile::setPermissions(root_.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The desktop's folder opener, replaced: the program must open nothing
    // real, and what it asks for is a result to check.
    QFile opener(root_.filePath("bin/xdg-open"));
    if (opener.open(QIODevice::WriteOnly)) {
        opener.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '%1'\n")
                         .arg(root_.filePath("opened.log"))
                         .toUtf8());
        opener.close();
        opener.setPermissions(opener.permissions() | QFile::ExeOwner);
    }
    try {
        const QDir dir = QFileInfo(programPath_).dir();
        const QString beside = dir.filePath("mp3enc.dll");
        skin_ = SkinDocument::load(QFile::exists(beside) ? beside : dir.filePath("../share/tamsel/mp3enc.dll"));
    } catch (const TamselError& e) {
        ADD_FAILURE() << e.what();
    }
    startDisplay();
}

Session::~Session()
{
    end(program_);
    end(tone_);
    end(windowManager_);
    end(xvfb_);
}

void Session::startDisplay()
{
    // Xvfb picks a free display itself and tells its number on -displayfd.
    const QString screen = QStringLiteral("%1x%2x24").arg(screen_.width()).arg(screen_.height());
    xvfb_.start("Xvfb", {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp",
                         "-noreset"});
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (!number.contains('\n') && clock.elapsed() < 30000 && xvfb_.state() != QProcess::NotRunning) {
        xvfb_.waitForReadyRead(500);
        number += xvfb_.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        ADD_FAILURE() << "Xvfb did not start: " << xvfb_.readAllStandardError().toStdString();
        return;
    }
    display_ = ":" + QString::fromUtf8(number).trimmed();
    startWindowManager();
}

QString Session::windowManager()
{
    return qEnvironmentVariable("TAMSEL_E2E_WM", QStringLiteral("openbox"));
}

void Session::startWindowManager()
{
    const QString wm = windowManager();
    if (wm == QLatin1String("none")) return;
    // In the session's home, like the program: nothing of the machine's own.
    QProcessEnvironment e = withDisplay(display_);
    e.insert("HOME", home());
    e.insert("XDG_CONFIG_HOME", root_.filePath("config"));
    e.insert("XDG_CACHE_HOME", home() + "/.cache");
    e.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    windowManager_.setProcessEnvironment(e);
    windowManager_.setProcessChannelMode(QProcess::MergedChannels);
    windowManager_.setStandardOutputFile(root_.filePath("wm.log"));
    windowManager_.start(wm, {});
    // It manages the screen once it names itself on the root window.
    const bool managing = waitUntil(
        [&] {
            QProcess xprop;
            xprop.setProcessEnvironment(withDisplay(display_));
            xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
            xprop.waitForFinished(10000);
            return xprop.readAllStandardOutput().contains("window id")
                   || windowManager_.state() == QProcess::NotRunning;
        },
        30000);
    if (!managing || windowManager_.state() == QProcess::NotRunning)
        ADD_FAILURE() << "the window manager " << wm.toStdString() << " did not start (scripts/setup installs "
                      << "openbox; TAMSEL_E2E_WM=none runs without one)";
}

void Session::end(QProcess& p)
{
    if (p.state() == QProcess::NotRunning) return;
    p.terminate();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(10000);
    }
}

QString Session::scratch(const QString& name) const { return root_.filePath("scratch/" + name); }
QString Session::home() const { return root_.filePath("home"); }
QString Session::defaultOutputFolder() const { return home() + "/My Recorder"; }
QString Session::settingsFile() const { return root_.filePath("config/tamsel.ini"); }

void Session::writeSettings(const QString& iniText) const
{
    // In one step, as the program writes it: it may be reading the file.
    QSaveFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(iniText.toUtf8());
    ASSERT_TRUE(f.commit());
}

QString Session::settingsText() const
{
    QFile f(settingsFile());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString Session::setting(const QString& section, const QString& key) const
{
    return IniFile(settingsFile(), "tamsel.ini").read(section, key).value_or("<missing>");
}

QStringList Session::openedFolders() const
{
    QFile f(root_.filePath("opened.log"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

QProcessEnvironment Session::programEnvironment() const
{
    QProcessEnvironment e = withDisplay(display_);
    e.insert("HOME", home());
    e.insert("XDG_CONFIG_HOME", root_.filePath("config"));
    e.insert("XDG_RUNTIME_DIR", root_.filePath("run"));
    e.insert("XDG_DATA_HOME", home() + "/.local/share");
    e.insert("XDG_CACHE_HOME", home() + "/.cache");
    e.insert("QT_QPA_PLATFORM", "xcb");
    e.insert("PATH", root_.filePath("bin") + ":" + e.value("PATH"));
    // No session bus: the program must not reach, or autolaunch, a real one.
    e.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    e.insert("DBUS_SYSTEM_BUS_ADDRESS", logind_->address());
    e.remove("WAYLAND_DISPLAY");
    e.remove("XAUTHORITY");
    e.insert(environment_);
    return e;
}

QString Session::program()
{
    // Another build of the program can be checked against the same cases.
    return qEnvironmentVariable("TAMSEL_E2E_PROGRAM", TAMSEL_PROGRAM);
}

bool Session::start()
{
    if (!launch()) return false;
    // The main window's first show ends by showing the join list below it.
    if (!waitForWindow("Tamsel", 60000) || !waitForWindow("List", 30000)) {
        ADD_FAILURE() << "the program did not finish starting: shown are " << shownTitles().toStdString();
        return false;
    }
    return true;
}

bool Session::launch(const QString& program)
{
    // Without the mock the program would reach the machine's own system bus.
    if (display_.isEmpty() || !logind_->failure().isEmpty()) return false;
    if (running()) {
        ADD_FAILURE() << "the program started before still runs";
        return false;
    }
    program_.setProcessEnvironment(programEnvironment());
    program_.setWorkingDirectory(root_.filePath("scratch"));
    program_.setProcessChannelMode(QProcess::MergedChannels);
    program_.setStandardOutputFile(root_.filePath("program.log"), QIODevice::Append);
    const QString path = program.isEmpty() ? programPath_ : program;
    program_.start(path, {});
    if (!program_.waitForStarted(30000)) {
        ADD_FAILURE() << "cannot start " << path.toStdString();
        return false;
    }
    return true;
}

bool Session::running() const { return program_.state() != QProcess::NotRunning; }

bool Session::waitForExit(int timeoutMs)
{
    return program_.state() == QProcess::NotRunning || program_.waitForFinished(timeoutMs);
}

QString Session::programOutput() const
{
    QFile f(root_.filePath("program.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString Session::xdo(const QStringList& args) const
{
    QProcess p;
    p.setProcessEnvironment(withDisplay(display_));
    p.start("xdotool", args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "xdotool " << args.join(' ').toStdString() << " did not finish";
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList Session::shownWindows(const QString& title) const
{
    // Top-level windows only: the root's children, or their children inside
    // the window manager's frames.
    const QString pattern = title.isEmpty() ? QString(".*") : "^" + QRegularExpression::escape(title) + "$";
    return xdo({"search", "--maxdepth", "2", "--onlyvisible", "--name", pattern})
        .split('\n', Qt::SkipEmptyParts);
}

QString Session::shownTitles() const
{
    QStringList titles;
    for (const QString& id : shownWindows()) titles << '"' + xdo({"getwindowname", id}).trimmed() + '"';
    return titles.join(", ");
}

bool Session::waitForWindow(const QString& title, int timeoutMs) const
{
    return waitUntil([&] { return shown(title); }, timeoutMs);
}

bool Session::waitForNoWindow(const QString& title, int timeoutMs) const
{
    return waitUntil([&] { return !shown(title); }, timeoutMs);
}

QPoint Session::windowPosition(const QString& title) const
{
    return windowGeometry(title).topLeft();
}

QRect Session::windowGeometry(const QString& title) const
{
    const QStringList ids = shownWindows(title);
    if (ids.isEmpty()) {
        ADD_FAILURE() << "no window \"" << title.toStdString() << "\" is shown";
        return {};
    }
    // xwininfo, as xdotool counts the offset inside a window manager's frame twice.
    QProcess info;
    info.setProcessEnvironment(withDisplay(display_));
    info.start("xwininfo", {"-id", ids.first()});
    info.waitForFinished(30000);
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    const auto value = [&](const char* name) {
        const QRegularExpression re(QStringLiteral("^\\s*%1:\\s*(-?\\d+)$").arg(QLatin1String(name)),
                                    QRegularExpression::MultilineOption);
        return re.match(text).captured(1).toInt();
    };
    return {value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")};
}

QPoint Session::onWindow(const QString& title, QPoint local) const
{
    return windowPosition(title) + local;
}

QString Session::windowOf(const QString& form) const
{
    return form == QLatin1String("mp3rec") ? QStringLiteral("Tamsel") : QStringLiteral("List");
}

QPoint Session::elementCentre(const QString& form, const QString& element) const
{
    const SkinFormSpec* spec = skin_ ? skin_->form(form) : nullptr;
    if (!spec || !skin_->has(element)) {
        ADD_FAILURE() << "the skin has no element " << element.toStdString() << " in " << form.toStdString();
        return {};
    }
    return windowPosition(windowOf(form)) + skin_->place(*spec, element).center().toPoint();
}

QPoint Session::faceSpot(const QString& form) const
{
    const SkinFormSpec* spec = skin_ ? skin_->form(form) : nullptr;
    if (!spec) return {};
    // Well inside the window, away from every element that takes the mouse.
    for (int y = 12; y < spec->size.height() - 12; y += 4) {
        for (int x = 12; x < spec->size.width() - 12; x += 4) {
            bool free = true;
            for (const SkinElementSpec& e : spec->elements)
                if (e.kind != SkinKind::Face && skin_->place(*spec, e.name).adjusted(-6, -6, 6, 6).contains(x, y))
                    free = false;
            if (free) return windowPosition(windowOf(form)) + QPoint(x, y);
        }
    }
    ADD_FAILURE() << "the form " << form.toStdString() << " has no bare face";
    return {};
}

void Session::clickAt(QPoint screen) const
{
    xdo({"mousemove", QString::number(screen.x()), QString::number(screen.y()), "click", "1"});
}

void Session::click(const QString& form, const QString& element) const
{
    clickAt(elementCentre(form, element));
}

void Session::doubleClick(const QString& form, const QString& element) const
{
    const QPoint p = elementCentre(form, element);
    xdo({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "--repeat", "2",
         "--delay", "80", "1"});
}

QString Session::focusedWindow() const
{
    return xdo({"getwindowfocus", "getwindowname"}).trimmed();
}

void Session::type(const QString& text) const { xdo({"type", "--delay", "40", text}); }

void Session::keys(const QStringList& keys) const { xdo(QStringList{"key", "--delay", "60"} + keys); }

void Session::answerFileDialog(const QString& title, const QString& path) const
{
    ASSERT_TRUE(waitForWindow(title)) << "no \"" << title.toStdString() << "\" dialog";
    type(path);
    keys({"Return"});
    ASSERT_TRUE(waitForNoWindow(title)) << "the \"" << title.toStdString() << "\" dialog stayed open";
}

void Session::startTone(double hz, const QString& sink)
{
    const QString file = scratch(QStringLiteral("tone-%1.wav").arg(hz));
    if (!QFile::exists(file)) testsupport::makeTone(file, hz, 120, 44100, 2, {"-b", "16"});
    end(tone_);
    tone_.start("paplay", sink.isEmpty() ? QStringList{file} : QStringList{"-d", sink, file});
    ASSERT_TRUE(tone_.waitForStarted(10000)) << "paplay did not start";
    const bool playing = waitUntil(
        [] { return !testsupport::runPeer("pactl", {"list", "short", "sink-inputs"}).trimmed().isEmpty(); },
        20000, 200);
    ASSERT_TRUE(playing) << "the tone does not reach the sound server: "
                         << tone_.readAllStandardError().toStdString();
}

void Session::stopTone() { end(tone_); }

QString Session::recordMonitor(const std::function<void()>& action, double seconds)
{
    QProcess rec;
    rec.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2", "-d", "@DEFAULT_MONITOR@"});
    QByteArray data;
    auto collectUntil = [&](qsizetype bytes, int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (data.size() < bytes && clock.elapsed() < timeoutMs && rec.state() != QProcess::NotRunning) {
            rec.waitForReadyRead(200);
            data += rec.readAllStandardOutput();
        }
        return data.size() >= bytes;
    };
    // A monitor starts delivering a moment after its stream is ready.
    EXPECT_TRUE(collectUntil(kMonitorBytesPerSecond / 10, 30000)) << "the monitor delivers nothing";
    data.clear();
    action();
    EXPECT_TRUE(collectUntil(qsizetype(seconds * kMonitorBytesPerSecond), int(seconds * 1000) + 30000));
    end(rec);
    const QString raw = scratch("monitor.raw"), wav = scratch("monitor.wav");
    QFile f(raw);
    if (f.open(QIODevice::WriteOnly)) f.write(data);
    f.close();
    testsupport::runPeer("sox", {"-t", "raw", "-r", "44100", "-e", "signed", "-b", "16", "-c", "2", raw, wav});
    return wav;
}

}  // namespace e2e
