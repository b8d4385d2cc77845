#pragma once
// A tag write that cannot cost the user's audio: the tag goes into a copy
// beside the file, the copy's audio is checked against the file's, and only
// then does the copy replace the file, by a rename.

#include "components/taglib/TagLibAccess.h"

namespace taglibaccess {

// Throws TamselError "Cannot write the tag of <file>: <reason>", leaving the
// file as it was and no copy behind.
void writeThroughCopy(const QString& fileName, const TagFields& tag);

}  // namespace taglibaccess
