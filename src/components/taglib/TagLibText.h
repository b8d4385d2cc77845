#pragma once
// Text between Qt and TagLib. Private to this folder's sources.

#include <QString>
#include <taglib/tstring.h>

namespace taglibaccess {

// TagLib takes a plain char string as Latin-1; always say it is UTF-8.
inline TagLib::String toTagLib(const QString& s)
{
    return TagLib::String(s.toUtf8().toStdString(), TagLib::String::UTF8);
}

inline QString fromTagLib(const TagLib::String& s)
{
    return QString::fromStdString(s.to8Bit(true));
}

// RIFF INFO chunks have no declared encoding: write UTF-8, and read UTF-8
// when the bytes are valid UTF-8, Latin-1 otherwise (older Windows files).
void useUtf8InInfoChunks();

}  // namespace taglibaccess
