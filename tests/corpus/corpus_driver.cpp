// One file of the damaged-file corpus through one part of the program, in a
// process of its own so that run-corpus can time it, weigh it and see it die.
//
//   corpus_driver read FILE [EXPECTED_FRAMES]   decode to the end, seek, decode again
//   corpus_driver info FILE                     technical data and tag
//   corpus_driver tag FILE FOLDER               tag write on a copy made in FOLDER
//   corpus_driver audio FILE FOLDER             read, info and tag in turn
//   corpus_driver skin FILE                     load, place and draw every part
//   corpus_driver ini FILE FOLDER               settings reads, a write on a copy
//
// Exit 0 with "ok ..." or "error: <message>" when the program handled the
// file (a clean refusal is a pass); exit 3 with "FAULT: ..." when it answered
// wrongly; anything else (a signal, a sanitizer report) is a crash.

#include "components/file/AudioFile.h"
#include "components/skin/SkinDocument.h"
#include "components/skin/SvgSkin.h"
#include "components/taglib/TagLibInformation.h"
#include "platform/Error.h"
#include "platform/FileName.h"
#include "platform/IniFile.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kFault = 3;

struct Fault {
    QString what;
};

[[noreturn]] void fault(const QString& what)
{
    throw Fault{what};
}

void stage(const char* name)
{
    // Names the step a crash report belongs to.
    std::fprintf(stderr, "corpus_driver: %s\n", name);
    std::fflush(stderr);
}

QByteArray bytesOf(const QString& name)
{
    QFile f;
    if (!filename::openForReading(f, name)) return {};
    return f.readAll();
}

bool writeBytes(const QString& name, const QByteArray& data)
{
    const int fd = ::open(filename::encode(name).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool whole = ::write(fd, data.constData(), size_t(data.size())) == data.size();
    return ::close(fd) == 0 && whole;
}

// Entries in a folder, whatever bytes their names hold (Qt's listings skip
// names that are not UTF-8).
int entries(const QString& folder)
{
    int n = 0;
    if (DIR* dir = ::opendir(filename::encode(folder).constData())) {
        while (const dirent* e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) ++n;
        ::closedir(dir);
    }
    return n;
}

// Decoding to the end: the frames read, and the error that ended it early.
struct Decoded {
    int64_t frames = 0;
    int64_t stated = 0;  // the length the file states exactly, else frames
    std::optional<QString> error;
};

int64_t readToEnd(AudioFile& file)
{
    int64_t frames = 0;
    for (;;) {
        const Block b = file.ReadArray(8192);
        if (b.empty()) return frames;
        if (b.channels != file.ArrayChannels() || b.samples.size() % size_t(b.channels) != 0
            || b.frames() > 8192)
            fault(QStringLiteral("a block of %1 samples in %2 channels (file: %3 channels)")
                      .arg(b.samples.size()).arg(b.channels).arg(file.ArrayChannels()));
        frames += b.frames();
    }
}

Decoded decode(const QString& name)
{
    Decoded d;
    AudioFile file;
    try {
        file.OpenRead(name);
        d.frames = readToEnd(file);
        d.stated = file.SamplesExact() ? file.Samples() : d.frames;
    } catch (const TamselError& e) {
        d.error = e.message();
    }
    return d;
}

void checkPosition(AudioFile& file, int64_t asked, int64_t reached)
{
    if (reached < 0 || reached > file.Samples())
        fault(QStringLiteral("seek(%1) reached %2, outside [0, %3]").arg(asked).arg(reached).arg(file.Samples()));
}

QString readMode(const QString& name, std::optional<int64_t> expected)
{
    stage("read");
    AudioFile file;
    file.OpenRead(name);
    if (file.SampleRate() <= 0 || file.Channels() <= 0 || file.Samples() < 0 || file.Duration() < 0)
        fault(QStringLiteral("opened with rate %1, %2 channels, %3 frames")
                  .arg(file.SampleRate()).arg(file.Channels()).arg(file.Samples()));
    const int64_t frames = readToEnd(file);
    if (expected && frames != *expected)
        fault(QStringLiteral("decoded %1 frames, the file holds %2").arg(frames).arg(*expected));
    stage("seek");
    const int64_t length = file.Samples();
    for (const int64_t at : {length / 2, length, length + 1000, int64_t{-5}, length / 3}) {
        checkPosition(file, at, file.Seek(at));
        file.ReadArray(4096);
    }
    // From the start again, the same audio comes out.
    checkPosition(file, 0, file.Seek(0));
    const int64_t again = readToEnd(file);
    if (again != frames) fault(QStringLiteral("decoded %1 frames, then %2 after seek(0)").arg(frames).arg(again));
    return QStringLiteral("frames=%1").arg(frames);
}

QString infoMode(const QString& name)
{
    stage("info");
    TagLibInformation info;
    info.ReadInfo(name);
    // Impossible figures are shown as unknown (0), never as numbers.
    if (info.infoFrequency() < 0 || info.infoFrequency() > 25'000'000 || info.infoChannels() < 0
        || info.infoChannels() > 255 || info.infoBitsPerSample() < 0 || info.infoBitsPerSample() > 64
        || info.infoBitrate() < 0 || info.infoDuration() < 0 || info.infoSamples() < 0 || info.infoSize() < 0)
        fault(QStringLiteral("technical data %1 Hz, %2 channels, %3 bits, %4 bit/s, %5 ms, %6 frames")
                  .arg(info.infoFrequency()).arg(info.infoChannels()).arg(info.infoBitsPerSample())
                  .arg(info.infoBitrate()).arg(info.infoDuration()).arg(info.infoSamples()));
    return QStringLiteral("rate=%1 channels=%2").arg(info.infoFrequency()).arg(info.infoChannels());
}

// The tag write goes to a copy in folder, under the file's own name, never
// to the corpus file.
QString tagMode(const QString& name, const QString& folder)
{
    stage("tag");
    if (!filename::status(name).isFile) {
        // Not a file (pipe, folder, device, broken link): the write must say so
        // without touching it.
        TagLibInformation info;
        info.setInfoTitle(QStringLiteral("x"));
        info.WriteInfo(name);
        fault("a tag was written to something that is not a file");
    }
    const QByteArray original = bytesOf(name);
    const QString base = filename::decode(filename::encode(name).split('/').last());
    const QString copy = folder + '/' + base;
    if (!writeBytes(copy, original)) fault("cannot make the copy");
    const Decoded before = decode(copy);

    TagLibInformation info;
    try {
        info.ReadInfo(copy);
    } catch (const TamselError&) {
        // A tag is written even where none could be read.
    }
    info.setInfoTitle(QStringLiteral("Corpus title \u00e4\u00f6\u00fc \u266a"));
    info.setInfoArtist(QStringLiteral("Artist"));
    info.setInfoAlbum(QString(300, QLatin1Char('a')));
    info.setInfoComments(QStringLiteral("line one\nline two"));
    info.setInfoYear(1999);
    info.setInfoTrack(7);
    info.setInfoGenre(12);
    QString outcome;
    try {
        info.WriteInfo(copy);
        outcome = QStringLiteral("written");
    } catch (const TamselError& e) {
        outcome = "error: " + e.message();
        if (bytesOf(copy) != original) fault("a refused tag write changed the file: " + e.message());
    }
    if (const int left = entries(folder); left != 1)
        fault(QStringLiteral("the tag write left %1 files behind").arg(left - 1));

    if (bytesOf(copy) != original) {
        // Changed: the audio must be as it was.
        const Decoded after = decode(copy);
        if (after.error && !before.error) fault("after a tag write the file no longer decodes: " + *after.error);
        // A damaged file may decode further once the tag library has written
        // its pages anew (Ogg pages get their checksums back), never beyond
        // what it states.
        const bool repaired = before.frames < after.frames && after.frames <= before.stated;
        if (!before.error && after.frames != before.frames && !repaired)
            fault(QStringLiteral("a tag write changed the audio from %1 to %2 frames")
                      .arg(before.frames).arg(after.frames));
    }
    ::unlink(filename::encode(copy).constData());
    return outcome;
}

// Every part a form's elements may have.
const char* const kParts[] = {"", ".normal", ".hover", ".pressed", ".disabled", ".track", ".fill", ".thumb", ".box"};

QString skinMode(const QString& name)
{
    stage("skin load");
    const auto doc = SkinDocument::load(name);
    // Form names are ids in the file; any id may name one.
    QSet<QString> ids;
    static const QRegularExpression idRe(QStringLiteral(R"(\bid\s*=\s*"([^"]{1,200})\")"));
    const QString text = QString::fromUtf8(bytesOf(name));
    for (auto it = idRe.globalMatch(text); it.hasNext();) ids.insert(it.next().captured(1));
    int forms = 0;
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    for (const QString& id : ids) {
        const SkinFormSpec* form = doc->form(id);
        if (form == nullptr) continue;
        ++forms;
        stage("skin draw");
        for (const SkinElementSpec& e : form->elements) {
            for (const char* suffix : kParts) {
                const QString part = e.name + QLatin1String(suffix);
                const QRectF at = doc->place(*form, part);
                if (!at.isEmpty() && (std::abs(at.left()) > 1e6 || std::abs(at.bottom()) > 1e6))
                    fault(QStringLiteral("part %1 placed at %2,%3").arg(part).arg(at.left()).arg(at.top()));
                QPainter p(&image);
                doc->render(p, *form, part, -at.topLeft());
                (void)at.toAlignedRect();
            }
        }
        stage("skin window");
        SvgSkin skin;
        skin.OpenSkinFile(name);
        QWidget window;
        skin.ApplyFormToWindow(&window, id);
        QPainter p(&image);
        window.render(&p);
    }
    return QStringLiteral("forms=%1").arg(forms);
}

QString iniMode(const QString& name, const QString& folder)
{
    stage("ini read");
    const IniFile file(name, QStringLiteral("tamsel.ini"));
    // A few keys, as the program asks at its start.
    int found = 0;
    for (const auto& [section, key] :
         {std::pair{"Settings", "Dir"}, {"Settings", "Rate"}, {"Main", "Left"}, {"", ""}})
        found += file.read(section, key).has_value();
    if (!filename::status(name).isFile) return QStringLiteral("keys=%1").arg(found);
    const QByteArray original = bytesOf(name);
    stage("ini write");
    const QString copy = folder + QStringLiteral("/tamsel.ini");
    if (!writeBytes(copy, original)) fault("cannot make the copy");
    IniFile writable(copy, QStringLiteral("tamsel.ini"));
    const QString value = QStringLiteral("C:\\Recordings \u00e4");
    try {
        writable.write(QStringLiteral("Settings"), QStringLiteral("Dir"), value);
    } catch (const TamselError& e) {
        if (bytesOf(copy) != original) fault("a refused settings write changed the file: " + e.message());
        return "write refused: " + e.message();
    }
    const auto back = IniFile(copy, QStringLiteral("tamsel.ini")).read(QStringLiteral("Settings"),
                                                                      QStringLiteral("Dir"));
    if (back != value) fault("a written setting reads back as " + back.value_or(QStringLiteral("nothing")));
    QFile::remove(copy);
    return QStringLiteral("keys=%1 written").arg(found);
}

void say(const QString& line)
{
    // Names keep the bytes they were given as.
    std::printf("%s\n", filename::encode(line).replace('\n', ' ').constData());
}

int usage()
{
    std::fputs("usage: corpus_driver read|info|tag|audio|skin|ini FILE [FOLDER|EXPECTED_FRAMES]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return usage();
    const std::string mode = argv[1];
    // Not QCoreApplication::arguments(): bytes that are not UTF-8 would be lost.
    const QString name = filename::decode(argv[2]);
    const QString extra = argc > 3 ? filename::decode(argv[3]) : QString();
    // Qt sees no arguments: a file named like one of its options stays a file.
    int qtArgc = 1;
    std::optional<QCoreApplication> core;
    std::optional<QApplication> gui;
    if (mode == "skin")
        gui.emplace(qtArgc, argv);
    else
        core.emplace(qtArgc, argv);

    const auto run = [&](const auto& step) {
        try {
            say("ok " + step());
        } catch (const TamselError& e) {
            say("error: " + e.message());
        }
    };
    try {
        if (mode == "read") {
            std::optional<int64_t> expected;
            if (!extra.isEmpty()) expected = extra.toLongLong();
            run([&] { return readMode(name, expected); });
        } else if (mode == "info") {
            run([&] { return infoMode(name); });
        } else if (mode == "tag" && !extra.isEmpty()) {
            run([&] { return tagMode(name, extra); });
        } else if (mode == "audio" && !extra.isEmpty()) {
            run([&] { return readMode(name, std::nullopt); });
            run([&] { return infoMode(name); });
            run([&] { return tagMode(name, extra); });
        } else if (mode == "skin") {
            run([&] { return skinMode(name); });
        } else if (mode == "ini" && !extra.isEmpty()) {
            run([&] { return iniMode(name, extra); });
        } else {
            return usage();
        }
    } catch (const Fault& f) {
        say("FAULT: " + f.what);
        return kFault;
    }
    return 0;
}
