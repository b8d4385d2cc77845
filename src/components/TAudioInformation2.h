#pragma once
// Technical data and tag of one audio file. ReadInfo loads both into the
// properties; the setters stage tag values. WriteInfo stores the fields staged
// since the last ReadInfo, each in the tag's own form, and leaves every other
// field and the rest of the tag as the file has them; with none staged it
// leaves the file alone.

#include <QString>
#include <cstdint>

class TAudioInformation2 {
public:
    virtual ~TAudioInformation2() = default;

    virtual void ReadInfo(const QString& fileName) = 0;
    virtual void WriteInfo(const QString& fileName) = 0;

    virtual int infoFrequency() const = 0;      // Hz
    virtual int infoBitrate() const = 0;        // bit/s
    virtual int64_t infoDuration() const = 0;   // ms
    virtual int infoChannels() const = 0;
    virtual int64_t infoSamples() const = 0;    // frames
    virtual int64_t infoSize() const = 0;       // bytes
    virtual int infoBitsPerSample() const = 0;
    virtual int infoFormatTag() const = 0;      // WAVE format tag, 0 when not WAV

    virtual QString infoTitle() const = 0;
    virtual void setInfoTitle(const QString& v) = 0;
    virtual QString infoArtist() const = 0;
    virtual void setInfoArtist(const QString& v) = 0;
    virtual QString infoAlbum() const = 0;
    virtual void setInfoAlbum(const QString& v) = 0;
    virtual QString infoComments() const = 0;
    virtual void setInfoComments(const QString& v) = 0;
    virtual int infoGenre() const = 0;          // genre index, -1 when none
    virtual void setInfoGenre(int v) = 0;
    virtual void setInfoGenreS(const QString& v) = 0;  // genre as text (digits = index)
    virtual int infoYear() const = 0;
    virtual void setInfoYear(int v) = 0;
    virtual int infoTrack() const = 0;
    virtual void setInfoTrack(int v) = 0;

    virtual QString GenreName(int index) const = 0;
};
