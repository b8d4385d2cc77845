// Recording into MP3, FLAC and Opus: a tone recorded with a two-second limit
// that rolls over gives complete, tagged pieces in the format, as ffprobe
// reads them.

#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QJsonObject>

using namespace e2e;

namespace {


}  // namespace

TEST_F(E2e, EachCompressedFormatRecordsTaggedPiecesThatRollOver)
{
    const struct {
        int code;
        const char* extension;
        const char* codec;
    } formats[] = {{1, "mp3", "mp3"}, {5, "flac", "flac"}, {6, "opus", "opus"}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.extension);
        session = std::make_unique<e2e::Session>();
        const QString folder = session->scratch("takes");
        session->writeSettings("[file]\nenlength=1\nrbtime=1\nrbtimee=1\ntimet=2\ntime=1\nlimit_s=0\nlimit_n=1\n"
                               + outputTo(folder) + QStringLiteral("format=%1\n").arg(f.code)
                               + "out_name=Take\nrb_time=0\nrb_cust=1\n[info]\ntitle=Tone\n");
        session->startTone();
        ASSERT_TRUE(session->start());
        session->click("mp3rec", "recorder");
        const QString second = folder + "/Take-2." + f.extension;
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(second).size() > 0; }, 20000))
            << "no second piece; the folder holds: " << QDir(folder).entryList(QDir::Files).join(", ").toStdString();
        // Past its header: a piece stopped before it holds sound is not kept.
        const qint64 header = QFileInfo(second).size();
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(second).size() > header + 8192; }, 10000));
        session->click("mp3rec", "stop");
        session->stopTone();
        for (const QString& piece : {folder + "/Take." + f.extension, second}) {
            SCOPED_TRACE(piece.toStdString());
            ASSERT_TRUE(waitUntil([&] { return testsupport::tagOf(piece, "title") == "Tone"; }, 10000))
                << "untagged or unreadable";
            EXPECT_EQ(testsupport::probeAudioStream(piece).value("codec_name").toString(), f.codec);
        }
        EXPECT_NEAR(durationOf(folder + "/Take." + f.extension), 2.0, 0.35) << "the first piece ends at the limit";
        session.reset();
    }
}
