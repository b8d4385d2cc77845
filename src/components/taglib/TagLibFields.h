#pragma once
// One field of any tag TagLib reads, in that tag's own form: every value, a
// full date, a track with its total. Private to this folder's sources.
//
// TagLib's plain setters store the reduced values its getters return (a year,
// a track without its total, one joined artist); going through these keeps
// the rest of a field the user did not change.

#include "components/taglib/TagLibAccess.h"

#include <taglib/infotag.h>
#include <taglib/tag.h>
#include <taglib/tstringlist.h>

#include <utility>
#include <vector>

namespace taglibaccess {

constexpr Field fields[] = {Title, Artist, Album, Comment, Genre, Year, Track};

// The RIFF INFO chunk that holds a field, and an older one readers also take.
std::pair<const char*, const char*> infoFieldIds(Field field);
TagLib::StringList infoFieldValues(const TagLib::RIFF::Info::Tag& t, Field field);

// The ID3v2 frames that hold a field in a tag of that version (3 or 4); the
// first is the one a new value goes into.
std::vector<const char*> id3v2FrameIds(Field field, unsigned int version);

// What a staged field stores where the tag's field now holds old: a track
// number keeps the count of tracks after it ("3/12" becomes "4/12").
TagLib::StringList stagedValues(const TagFields& f, Field field, const TagLib::StringList& old);

// The field's values as the tag stores them; empty when it has none.
TagLib::StringList fieldValues(const TagLib::Tag& tag, Field field);

// Replaces the field's values; none removes it. Everything else in the tag
// stays as it is.
void setFieldValues(TagLib::Tag& tag, Field field, const TagLib::StringList& values);

}  // namespace taglibaccess
