#pragma once
// The TagLib side of the information component, kept apart so that no
// TagLib type reaches a header: plain Qt values in, plain Qt values out.

#include "components/taglib/TechnicalData.h"

#include <QString>

namespace taglibaccess {

struct TagFields {
    QString title;
    QString artist;
    QString album;
    QString comment;
    QString genre;  // as stored: a name or free text
    int year = 0;   // 0 = none
    int track = 0;  // 0 = none
};

enum class ReadResult {
    Read,           // tag and technical data read
    Incomplete,     // tag read, technical data missing or partial
    NotOpened,      // TagLib cannot read the file
};

ReadResult read(const QString& fileName, TagFields& tag, TechnicalData& technical);

enum class WriteResult {
    Written,
    NotOpened,   // TagLib cannot read the file
    Unfollowed,  // TagLib sees no audio in it (RF64, unfinished header): left alone
    NoTag,       // the format holds no tag
    SaveFailed,
};

WriteResult write(const QString& fileName, const TagFields& tag);

// The ID3v1 genre list, limited to the 148 entries the program offers.
constexpr int genreCount = 148;
QString genreName(int index);
// Index of a stored genre text, -1 when it is empty or not in the list.
int genreIndex(const QString& text);

}  // namespace taglibaccess
