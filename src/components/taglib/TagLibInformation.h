#pragma once
// The information component over TagLib: technical data and tag of a file.
// What TagLib cannot measure (RF64, a WAV header never completed) comes from
// a technical probe, by default one over libavformat.

#include "components/TAudioInformation2.h"
#include "components/taglib/TagLibAccess.h"
#include "components/taglib/TechnicalData.h"

class TagLibInformation : public TAudioInformation2 {
public:
    // An empty probe means the libavformat one.
    explicit TagLibInformation(TechnicalProbe probe = {});

    void setTechnicalProbe(TechnicalProbe probe);

    void ReadInfo(const QString& fileName) override;
    void WriteInfo(const QString& fileName) override;

    int infoFrequency() const override { return technical_.frequency; }
    int infoBitrate() const override { return static_cast<int>(technical_.bitrate); }
    int64_t infoDuration() const override { return technical_.duration; }
    int infoChannels() const override { return technical_.channels; }
    int64_t infoSamples() const override { return technical_.samples; }
    int64_t infoSize() const override { return size_; }
    int infoBitsPerSample() const override { return technical_.bitsPerSample; }
    int infoFormatTag() const override { return technical_.formatTag; }

    QString infoTitle() const override { return tag_.title; }
    void setInfoTitle(const QString& v) override { stage(tag_.title, v, taglibaccess::Title); }
    QString infoArtist() const override { return tag_.artist; }
    void setInfoArtist(const QString& v) override { stage(tag_.artist, v, taglibaccess::Artist); }
    QString infoAlbum() const override { return tag_.album; }
    void setInfoAlbum(const QString& v) override { stage(tag_.album, v, taglibaccess::Album); }
    QString infoComments() const override { return tag_.comment; }
    void setInfoComments(const QString& v) override { stage(tag_.comment, v, taglibaccess::Comment); }
    int infoGenre() const override;
    void setInfoGenre(int v) override;
    void setInfoGenreS(const QString& v) override;
    int infoYear() const override { return tag_.year; }
    void setInfoYear(int v) override { stage(tag_.year, v, taglibaccess::Year); }
    int infoTrack() const override { return tag_.track; }
    void setInfoTrack(int v) override { stage(tag_.track, v, taglibaccess::Track); }

    QString GenreName(int index) const override;

    // The genre text WriteInfo will store (a name, free text, or empty).
    QString infoGenreText() const { return tag_.genre; }

private:
    template <typename T>
    void stage(T& field, const T& value, taglibaccess::Field which)
    {
        field = value;
        tag_.staged |= which;
    }

    TechnicalProbe probe_;
    TechnicalData technical_;
    int64_t size_ = 0;
    taglibaccess::TagFields tag_;
};
