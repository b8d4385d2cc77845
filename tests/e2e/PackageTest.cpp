// The Debian package as cpack builds it from this build: its dependencies
// come from the linked libraries, its desktop entry and AppStream data
// validate, and the programs unpacked from it run from there, the window
// with the skin and help installed beside it.

#include "e2e/OutsideChecks.h"
#include "e2e/Session.h"
#include "join/JoinTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>
#include <gtest/gtest.h>
#include <iostream>

using namespace e2e;
using testsupport::runPeer;

TEST(Package, BuildsValidatesAndRunsWhereItIsUnpacked)
{
#ifdef TAMSEL_SANITIZED
    GTEST_SKIP() << "a sanitizer build is not packaged";
#endif
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        << "PULSE_SERVER is not set: the program would reach the user's own sound server";
    QTemporaryDir work;
    runPeer("cpack", {"--config", QStringLiteral(TAMSEL_BUILD_DIR "/CPackConfig.cmake"), "-B", work.filePath("pkg")},
            180000);
    const QStringList debs = QDir(work.filePath("pkg")).entryList({"tamsel_*.deb"});
    ASSERT_EQ(debs.size(), 1) << "cpack made " << debs.join(", ").toStdString();
    const QString deb = work.filePath("pkg/" + debs.first());

    const QString depends = runPeer("dpkg-deb", {"-f", deb, "Depends"});
    for (const char* library : {"libqt6widgets6", "libpulse0", "libavformat", "libsndfile1", "libtag1v5"})
        EXPECT_TRUE(depends.contains(library)) << library << " missing from: " << depends.toStdString();
    // Loaded as a plugin, so no library link names it.
    EXPECT_TRUE(depends.contains("qt6-qpa-plugins")) << depends.toStdString();

    const QString root = work.filePath("root");
    runPeer("dpkg-deb", {"-x", deb, root});
    const QString usr = root + "/usr";
    const QString desktop = usr + "/share/applications/org.tamsel.Tamsel.desktop";
    EXPECT_EQ(runPeer("desktop-file-validate", {desktop}).trimmed(), "");
    // Checks the metainfo, and that the desktop entry it names is installed.
    runPeer("appstreamcli", {"validate-tree", "--no-net", root});
    const QString icon = QSettings(desktop, QSettings::IniFormat).value("Desktop Entry/Icon").toString();
    EXPECT_TRUE(QFileInfo::exists(usr + "/share/icons/hicolor/scalable/apps/" + icon + ".svg"))
        << "no icon named " << icon.toStdString();

    const QString input = jointest::wavTone(work.path(), "in.wav", 440, 0.5, 44100, 2);
    runPeer(usr + "/bin/tamsel-join", {"-q", "-o", work.filePath("joined.wav"), input, input});
    EXPECT_EQ(jointest::probeWav(work.filePath("joined.wav")).frames, 44100);
    runPeer(usr + "/bin/tamsel-split", {"-o", work.filePath("pieces"), work.filePath("joined.wav")});
    EXPECT_EQ(jointest::probeWav(work.filePath("pieces/joined-01.wav")).frames, 44100);

    // The help element is a place on the skin: a click there that opens the
    // installed help proves both were found.
    Session session(usr + "/bin/tamsel");
    ASSERT_TRUE(session.start()) << session.programOutput().toStdString();
    session.click("mp3rec", "help");
    ASSERT_TRUE(waitUntil([&] { return !session.openedFolders().isEmpty(); }, 20000))
        << "the help did not open; the program printed:\n" << session.programOutput().toStdString();
    EXPECT_EQ(QUrl(session.openedFolders().first()).toLocalFile(), usr + "/share/tamsel/help/TAMSEL.html");
}
