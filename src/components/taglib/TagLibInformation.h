#pragma once
// The information component over TagLib: technical data and tag of a file.
// What TagLib cannot measure (RF64, a WAV header never completed) comes from
// a technical probe, by default one over libavformat.

#include "components/TAudioInformation2.h"
#include "components/taglib/TechnicalData.h"

class TagLibInformation : public TAudioInformation2 {
public:
    // An empty probe means the libavformat one.
    explicit TagLibInformation(TechnicalProbe probe = {});

    void setTechnicalProbe(TechnicalProbe probe);

    void ReadInfo(const QString& fileName) override;
    void WriteInfo(const QString& fileName) override;

    int infoFrequency() const override { return technical_.frequency; }
    int infoBitrate() const override { return technical_.bitrate; }
    int64_t infoDuration() const override { return technical_.duration; }
    int infoChannels() const override { return technical_.channels; }
    int64_t infoSamples() const override { return technical_.samples; }
    int64_t infoSize() const override { return size_; }
    int infoBitsPerSample() const override { return technical_.bitsPerSample; }
    int infoFormatTag() const override { return technical_.formatTag; }

    QString infoTitle() const override { return title_; }
    void setInfoTitle(const QString& v) override { title_ = v; }
    QString infoArtist() const override { return artist_; }
    void setInfoArtist(const QString& v) override { artist_ = v; }
    QString infoAlbum() const override { return album_; }
    void setInfoAlbum(const QString& v) override { album_ = v; }
    QString infoComments() const override { return comment_; }
    void setInfoComments(const QString& v) override { comment_ = v; }
    int infoGenre() const override;
    void setInfoGenre(int v) override;
    void setInfoGenreS(const QString& v) override;
    int infoYear() const override { return year_; }
    void setInfoYear(int v) override { year_ = v; }
    int infoTrack() const override { return track_; }
    void setInfoTrack(int v) override { track_ = v; }

    QString GenreName(int index) const override;

    // The genre text WriteInfo will store (a name, free text, or empty).
    QString infoGenreText() const { return genre_; }

private:
    TechnicalProbe probe_;
    TechnicalData technical_;
    int64_t size_ = 0;
    QString title_, artist_, album_, comment_, genre_;
    int year_ = 0;
    int track_ = 0;
};
