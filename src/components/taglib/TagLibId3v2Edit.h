#pragma once
// An ID3v2 tag edited frame by frame. TagLib rebuilds the whole tag when it
// saves one: in version 2.3 it re-creates the date and genre frames in its
// own text encoding and drops the frames version 2.4 has no place for (RVAD,
// EQUA, TSIZ...). Edited here, the frames of every field not staged stay
// byte for byte as they were. Private to this folder's sources.

#include "components/taglib/TagLibAccess.h"

#include <taglib/tbytevector.h>

namespace taglibaccess {

// tag: a whole ID3v2 tag, from "ID3" to the end of its padding; whatever
// follows it is kept. Returns it with the staged fields of f replaced, each
// in the text encoding its frame had, in the tag's own version; the tag keeps
// its size when the frames fit. Empty when this tag is one to leave to
// TagLib: version 2.2, unsynchronised, with an extended header or footer, or
// frames that do not parse.
TagLib::ByteVector editedId3v2(const TagLib::ByteVector& tag, const TagFields& f);

}  // namespace taglibaccess
