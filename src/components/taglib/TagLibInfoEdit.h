#pragma once
// A RIFF INFO list edited text by text. TagLib renders every text of the list
// anew as it saves one, in UTF-8 and its own order; edited here, the texts of
// every field not staged stay byte for byte as they were, the Latin-1 of
// older Windows files included. Private to this folder's sources.

#include "components/taglib/TagLibAccess.h"

#include <taglib/tbytevector.h>

namespace taglibaccess {

// list: the data of a LIST chunk, from its "INFO". Returns it with the staged
// fields of f replaced (UTF-8, as the program writes INFO texts); empty when
// it does not parse as an INFO list.
TagLib::ByteVector editedInfo(const TagLib::ByteVector& list, const TagFields& f);

}  // namespace taglibaccess
