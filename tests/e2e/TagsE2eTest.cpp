// The tag window on a file another tagger tagged richly: a title typed in
// the real program is the only change ffprobe and mutagen see afterwards.

#include "TagTestFiles.h"
#include "e2e/E2eTest.h"
#include "tags/Tfm_id3.h"

#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>

using namespace e2e;

namespace {

// The window's layout is fixed, so a window of our own shows where the
// program's controls are.
struct TagWindowSpots {
    QPoint title, ok;
};

TagWindowSpots tagWindowSpots()
{
    Tfm_id3 w;
    const auto centre = [&](QWidget* c) { return c->mapTo(&w, c->rect().center()); };
    return {centre(w.infoTitle), centre(w.btnApply)};
}

QJsonObject renamed(const QJsonObject& tags)
{
    const QString text = QString::fromUtf8(QJsonDocument(tags).toJson());
    return QJsonDocument::fromJson(QString(text).replace("Old Title", "New Title").toUtf8()).object();
}

}  // namespace

// An ID3v2.4 tag with a genre outside the list, a full date, a track count,
// two artists, cover art and lyrics, all of which the window shows reduced.
TEST_F(E2e, ATitleTypedInTheTagWindowIsTheOnlyChange)
{
    const QTemporaryDir dir;
    const QString file = tagtest::encodeTone(dir, "tagged", "mp3");
    tagtest::addRichTag(file);
    const QJsonObject before = tagtest::mutagenTags(file);
    const QJsonObject probedBefore = tagtest::probeTags(file);
    ASSERT_EQ(before.value("version").toString(), "2.4");

    ASSERT_TRUE(session->start());
    session->click("mp3rec", "add");
    session->answerFileDialog("Open", file);
    // The added entry is selected: the window edits its file.
    session->click("mp3rec", "tag");
    ASSERT_TRUE(session->waitForWindow("ID3 info")) << session->shownTitles().toStdString();
    const TagWindowSpots spots = tagWindowSpots();
    session->clickAt(session->onWindow("ID3 info", spots.title));
    session->keys({"ctrl+a"});
    session->type("New Title");
    session->clickAt(session->onWindow("ID3 info", spots.ok));
    ASSERT_TRUE(session->waitForNoWindow("ID3 info"));

    EXPECT_EQ(tagtest::mutagenTags(file), renamed(before))
        << QJsonDocument(tagtest::mutagenTags(file)).toJson().toStdString();
    const QJsonObject probed = tagtest::probeTags(file);
    EXPECT_EQ(probed, renamed(probedBefore));
    EXPECT_EQ(probed.value("genre").toString(), "Synthwave");
    EXPECT_EQ(probed.value("date").toString(), "2021-05-06");
    EXPECT_EQ(probed.value("track").toString(), "3/12");
}
