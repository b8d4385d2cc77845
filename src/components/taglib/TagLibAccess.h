#pragma once
// The TagLib side of the information component, kept apart so that no
// TagLib type reaches a header: plain Qt values in, plain Qt values out.

#include "components/taglib/TechnicalData.h"

#include <QString>

namespace taglibaccess {

// The fields the program edits, as bits of TagFields::staged.
enum Field : unsigned {
    Title = 1U << 0,
    Artist = 1U << 1,
    Album = 1U << 2,
    Comment = 1U << 3,
    Genre = 1U << 4,
    Year = 1U << 5,
    Track = 1U << 6,
};
constexpr unsigned allFields = Title | Artist | Album | Comment | Genre | Year | Track;

struct TagFields {
    QString title;
    QString artist;
    QString album;
    QString comment;
    QString genre;  // as stored: a name or free text
    int year = 0;   // 0 = none
    int track = 0;  // 0 = none
    // The fields a write stores; every other field, and everything else the
    // tag holds, stays as the file has it.
    unsigned staged = 0;
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
