#pragma once
// Fakes of the component interfaces for tests of the program's logic. They
// record the calls made on them and answer from plain fields.

#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "components/TAudioVisualizationEx2.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Shell.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <utility>
#include <vector>

class FakeRecorder : public TAudioRecord2 {
public:
    struct Line {
        QString name;
        bool selected = false;
        int volume = 0;
    };
    int deviceCount = 0;
    QStringList deviceNames{"Fake Server"};
    std::vector<Line> lines;
    int currentDevice = -1;
    int currentLine = -1;
    QStringList calls;  // "SetLine 2", "SetLineVolume 300", ...

    void SetFormat(int r, int c) override { calls << QString("SetFormat %1 %2").arg(r).arg(c); }
    int MsToSamples(int ms) const override { return ms * 44; }
    void SetArraySize(int f) override { calls << QString("SetArraySize %1").arg(f); }
    void StartRecord() override { calls << "StartRecord"; }
    void StopRecord() override { calls << "StopRecord"; }
    int errorCode = 0;
    Block nextBlock;  // what GetArray hands out
    int ErrorCode() const override { return errorCode; }
    Block GetArray() override { return nextBlock; }
    Block remainder;  // what TakeRemainder hands out, once
    Block TakeRemainder() override { return std::exchange(remainder, Block{}); }
    int64_t SamplesToMs(int64_t s) const override { return s / 44; }
    QString failWith;  // when set, asking for devices raises this error
    int DeviceCount() override
    {
        if (!failWith.isEmpty()) throw TamselError(failWith);
        return deviceCount;
    }
    void SetDevice(int i) override { currentDevice = i; calls << QString("SetDevice %1").arg(i); }
    QString DeviceName() override { return deviceNames.value(currentDevice); }
    int InputLineCount() override { return int(lines.size()); }
    void SetLine(int n) override { currentLine = n; calls << QString("SetLine %1").arg(n); }
    QString LineName() override { return line() ? line()->name : QString(); }
    bool LineSelected() override { return line() && line()->selected; }
    void SetLineSelected() override
    {
        for (auto& l : lines) l.selected = false;
        if (line()) line()->selected = true;
        calls << QString("SetLineSelected %1").arg(currentLine);
    }
    int LineVolume() override { return line() ? line()->volume : 0; }
    void SetLineVolume(int v) override
    {
        if (line()) line()->volume = v;
        calls << QString("SetLineVolume %1").arg(v);
    }

private:
    Line* line()
    {
        return currentLine >= 1 && currentLine <= int(lines.size()) ? &lines[currentLine - 1]
                                                                     : nullptr;
    }
};

class FakeAudioFile : public TAudioFile2 {
public:
    QStringList calls;
    bool open = false;
    QString current;                   // the file last opened
    QHash<QString, int64_t> durations; // ms by path; others read as 0
    QStringList unreadable;            // OpenRead raises for these
    void OpenRead(const QString& f, int, int) override
    {
        calls << "OpenRead " + f;
        if (unreadable.contains(f)) throw TamselError("Cannot open " + f);
        current = f;
        open = true;
    }
    bool IsOpen() const override { return open; }
    void CloseFile() override { calls << "CloseFile"; open = false; }
    int64_t Samples() const override { return 0; }
    bool SamplesExact() const override { return false; }
    int64_t Duration() const override { return durations.value(current, 0); }
    int SampleRate() const override { return 44100; }
    int Channels() const override { return 2; }
    int Bitrate() const override { return 1411200; }
    int ArraySampleRate() const override { return 44100; }
    int ArrayChannels() const override { return 2; }
    Block ReadArray(int) override { return {}; }
    int64_t Seek(int64_t p, int) override { return p; }
    bool oggAccepted = true;
    int written = 0;  // frames passed to WriteArray
    void SetWavFormat(int r, int c, int b) override
    {
        calls << QString("SetWavFormat %1 %2 %3").arg(r).arg(c).arg(b);
    }
    void SetRawFormat(int f, int r, int c, int b) override
    {
        calls << QString("SetRawFormat %1 %2 %3 %4").arg(f).arg(r).arg(c).arg(b);
    }
    bool CheckOggFormat(int r, int c, int n, int lo, int hi) override
    {
        calls << QString("CheckOggFormat %1 %2 %3 %4 %5").arg(r).arg(c).arg(n).arg(lo).arg(hi);
        return oggAccepted;
    }
    void SetOggFormat(int r, int c, int n, int lo, int hi, int q) override
    {
        calls << QString("SetOggFormat %1 %2 %3 %4 %5 %6").arg(r).arg(c).arg(n).arg(lo).arg(hi).arg(q);
    }
    void SetFlacFormat(int r, int c, int b) override { calls << QString("SetFlacFormat %1 %2 %3").arg(r).arg(c).arg(b); }
    void SetOpusFormat(int r, int c, int k) override { calls << QString("SetOpusFormat %1 %2 %3").arg(r).arg(c).arg(k); }
    void SetMp3Format(int r, int c, int q, int k) override
    {
        calls << QString("SetMp3Format %1 %2 %3 %4").arg(r).arg(c).arg(q).arg(k);
    }
    QList<Chapter> chapters;  // the last marks set
    void SetChapters(const QList<Chapter>& c) override { chapters = c; }
    bool createOnOpenWrite = false;  // leave an empty file where OpenWrite points
    void OpenWrite(const QString& f, int) override
    {
        calls << "OpenWrite " + f;
        open = true;
        if (createOnOpenWrite) {
            QFile file(f);
            if (!file.open(QIODevice::WriteOnly)) throw TamselError("Cannot create " + f);
        }
    }
    void SetInputFormat(int r, int c) override { calls << QString("SetInputFormat %1 %2").arg(r).arg(c); }
    QString writeError;  // WriteArray throws it when set
    void WriteArray(const Block& b) override
    {
        calls << "WriteArray";
        if (!writeError.isEmpty()) throw TamselError(writeError);
        written += int(b.frames());
    }
    void SetFileOption(int o) override { calls << QString("SetFileOption %1").arg(o); }
};

class FakePlayer : public TAudioPlayer2 {
public:
    void SetFormat(int, int) override {}
    void StartPlay() override {}
    void StopPlay() override {}
    void PlayArray(const Block&) override {}
    int64_t SamplesToMs(int64_t s) const override { return s / 44; }
};

class FakeInformation : public TAudioInformation2 {
public:
    struct Tag {
        QString title, artist, album, comments;
        int genre = -1, year = 0, track = 0;
    };
    struct Technical {
        int frequency = 0, bitrate = 0, channels = 0, bitsPerSample = 0, formatTag = 0;
        int64_t duration = 0, samples = 0, size = 0;
    };
    QStringList calls;  // reads, staged tag values and writes, in order
    Tag tag;            // the tag properties
    Technical technical;
    QHash<QString, Tag> files;  // a file's tag: ReadInfo loads it, WriteInfo stores it
    QString readError;          // ReadInfo throws it when set
    void ReadInfo(const QString& f) override
    {
        calls << "ReadInfo " + f;
        if (!readError.isEmpty()) throw TamselError(readError);
        if (files.contains(f)) tag = files.value(f);
    }
    void WriteInfo(const QString& f) override { calls << "WriteInfo " + f; files[f] = tag; }
    int infoFrequency() const override { return technical.frequency; }
    int infoBitrate() const override { return technical.bitrate; }
    int64_t infoDuration() const override { return technical.duration; }
    int infoChannels() const override { return technical.channels; }
    int64_t infoSamples() const override { return technical.samples; }
    int64_t infoSize() const override { return technical.size; }
    int infoBitsPerSample() const override { return technical.bitsPerSample; }
    int infoFormatTag() const override { return technical.formatTag; }
    QString infoTitle() const override { return tag.title; }
    void setInfoTitle(const QString& v) override { calls << "title " + v; tag.title = v; }
    QString infoArtist() const override { return tag.artist; }
    void setInfoArtist(const QString& v) override { calls << "artist " + v; tag.artist = v; }
    QString infoAlbum() const override { return tag.album; }
    void setInfoAlbum(const QString& v) override { calls << "album " + v; tag.album = v; }
    QString infoComments() const override { return tag.comments; }
    void setInfoComments(const QString& v) override { calls << "comment " + v; tag.comments = v; }
    int infoGenre() const override { return tag.genre; }
    void setInfoGenre(int v) override { calls << QString("genreIndex %1").arg(v); tag.genre = v; }
    void setInfoGenreS(const QString& v) override { calls << "genre " + v; }
    int infoYear() const override { return tag.year; }
    void setInfoYear(int v) override { calls << QString("year %1").arg(v); tag.year = v; }
    int infoTrack() const override { return tag.track; }
    void setInfoTrack(int v) override { calls << QString("track %1").arg(v); tag.track = v; }
    // "Genre 0" to "Genre 147"; nothing outside.
    QString GenreName(int i) const override
    {
        return i >= 0 && i < 148 ? QString("Genre %1").arg(i) : QString();
    }
};

class FakeVisualization : public TAudioVisualizationEx2 {
public:
    int lines = 0;
    int blocks = 0;
    void DisplayArray(const Block&) override { ++blocks; }
    void setLineCount(int c) override { lines = c; }
    int lineCount() const override { return lines; }
};

class FakeDialogs : public Dialogs {
public:
    QStringList shown;  // every message, in order
    QStringList filesToOpen;
    QString fileToSave;
    void information(QWidget*, const QString& text) override { shown << text; }
    void plain(QWidget*, const QString& text) override { shown << text; }
    QStringList openFiles(QWidget*, const QString&, const QString&) override { return filesToOpen; }
    QString saveFile(QWidget*, const QString&, const QString&) override { return fileToSave; }
    QStringList replaceAsked;  // files confirmReplace asked about
    bool replace = false;      // its answer
    bool confirmReplace(QWidget*, const QString& file) override
    {
        replaceAsked << file;
        return replace;
    }
};

class FakeShell : public Shell {
public:
    QStringList opened;
    void openFolder(const QString& f) override { opened << "folder " + f; }
    void openDocument(const QString& p) override { opened << "document " + p; }
};
