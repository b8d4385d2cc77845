// Field access for each kind of tag TagLib reads.

#include "components/taglib/TagLibFields.h"

#include "components/taglib/TagLibText.h"

#include <taglib/apetag.h>
#include <taglib/asftag.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/xiphcomment.h>

#include <vector>

namespace taglibaccess {

namespace {

using TagLib::String;
using TagLib::StringList;

// Formats that hold one text per field get the values joined.
String joined(const StringList& values) { return values.toString("; "); }

StringList listOf(const String& s)
{
    return s.isEmpty() ? StringList() : StringList(s);
}

// The number a field's text starts with ("3/12" is track 3), 0 for none.
unsigned int leadingNumber(const StringList& values)
{
    if (values.isEmpty()) return 0;
    const QString text = fromTagLib(values.front()).trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit() && text[digits].unicode() < 128) ++digits;
    return text.left(digits).toUInt();
}

// --- ID3v2: one text frame per field; comments as the getter picks them.

// The comment TagLib's getter shows: the first without a description, else the first.
TagLib::ID3v2::CommentsFrame* shownComment(const TagLib::ID3v2::Tag& t)
{
    const auto& map = t.frameListMap();
    const auto it = map.find("COMM");
    if (it == map.end()) return nullptr;
    TagLib::ID3v2::CommentsFrame* first = nullptr;
    for (auto* frame : it->second) {
        auto* c = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
        if (c && c->description().isEmpty()) return c;
        if (!first) first = c;
    }
    return first;
}

StringList id3v2Values(const TagLib::ID3v2::Tag& t, Field field)
{
    if (field == Comment) {
        const auto* c = shownComment(t);
        return c ? listOf(c->text()) : StringList();
    }
    const auto& map = t.frameListMap();
    const auto it = map.find(id3v2FrameIds(field, 4).front());
    if (it == map.end() || it->second.isEmpty()) return {};
    const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(it->second.front());
    return text ? text->fieldList() : StringList();
}

void setId3v2Values(TagLib::ID3v2::Tag& t, Field field, const StringList& values)
{
    if (field == Comment) {
        auto* c = shownComment(t);
        if (values.isEmpty()) {
            if (c) t.removeFrame(c);
            return;
        }
        if (!c) {
            c = new TagLib::ID3v2::CommentsFrame();
            t.addFrame(c);
        }
        c->setText(joined(values));
        return;
    }
    const TagLib::ByteVector id = id3v2FrameIds(field, 4).front();
    const auto& map = t.frameListMap();
    const auto it = map.find(id);
    // The frame is changed where it stands, in its own text encoding.
    TagLib::ID3v2::TextIdentificationFrame* kept = nullptr;
    std::vector<TagLib::ID3v2::Frame*> dropped;
    if (it != map.end())
        for (auto* frame : it->second) {
            auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame);
            if (text && !kept && !values.isEmpty()) kept = text;
            else dropped.push_back(frame);
        }
    for (auto* frame : dropped) t.removeFrame(frame);
    if (values.isEmpty()) return;
    if (!kept) {
        kept = new TagLib::ID3v2::TextIdentificationFrame(id, String::Latin1);  // widened as the text needs
        t.addFrame(kept);
    }
    kept->setText(values);
}

// --- Vorbis comments: named fields, any number of values each.

// The name TagLib reads first, then the older one it also reads.
std::pair<const char*, const char*> xiphNames(const TagLib::Ogg::XiphComment& t, Field field)
{
    switch (field) {
    case Title: return {"TITLE", nullptr};
    case Artist: return {"ARTIST", nullptr};
    case Album: return {"ALBUM", nullptr};
    case Genre: return {"GENRE", nullptr};
    case Year: return {"DATE", "YEAR"};
    case Track: return {"TRACKNUMBER", "TRACKNUM"};
    case Comment: break;
    }
    return {t.contains("DESCRIPTION") ? "DESCRIPTION" : "COMMENT", nullptr};
}

StringList xiphValues(const TagLib::Ogg::XiphComment& t, Field field)
{
    const auto [name, older] = xiphNames(t, field);
    const auto& map = t.fieldListMap();
    for (const char* n : {name, older}) {
        if (!n) continue;
        const auto it = map.find(n);
        if (it != map.end() && !it->second.isEmpty()) return it->second;
    }
    return {};
}

void setXiphValues(TagLib::Ogg::XiphComment& t, Field field, const StringList& values)
{
    const auto [name, older] = xiphNames(t, field);
    t.removeFields(name);
    if (older) t.removeFields(older);
    for (const String& v : values) t.addField(name, v, false);
}

// --- APE: named items, whose names match in any case.

// The standard spelling; TagLib's map holds the names in capitals.
const char* apeKey(Field field)
{
    switch (field) {
    case Title: return "Title";
    case Artist: return "Artist";
    case Album: return "Album";
    case Comment: return "Comment";
    case Genre: return "Genre";
    case Year: return "Year";
    case Track: return "Track";
    }
    return "";
}

StringList apeValues(const TagLib::APE::Tag& t, Field field)
{
    const auto& map = t.itemListMap();
    const auto it = map.find(String(apeKey(field)).upper());
    return it == map.end() ? StringList() : it->second.values();
}

void setApeValues(TagLib::APE::Tag& t, Field field, const StringList& values)
{
    const auto& map = t.itemListMap();
    const auto it = map.find(String(apeKey(field)).upper());
    // An item keeps the spelling of its name.
    const String key = it == map.end() ? String(apeKey(field)) : it->second.key();
    if (values.isEmpty()) t.removeItem(key);
    else t.setItem(key, TagLib::APE::Item(key, values));
}

// --- RIFF INFO: one text per chunk.

void setInfoValues(TagLib::RIFF::Info::Tag& t, Field field, const StringList& values)
{
    const auto [id, older] = infoFieldIds(field);
    if (older) t.removeField(older);
    if (values.isEmpty()) t.removeField(id);
    else t.setFieldText(id, joined(values));
}

// --- ASF: title, artist and comment in the content description, the rest
// as attributes; other tools' plain attributes would shadow ours.

struct AsfNames {
    const char* attribute;  // nullptr: a content description field
    std::vector<const char*> shadows;
};

AsfNames asfNames(Field field)
{
    switch (field) {
    case Title: return {nullptr, {"title", "Title"}};
    case Artist: return {nullptr, {"Author", "artist"}};
    case Comment: return {nullptr, {"comment"}};
    case Album: return {"WM/AlbumTitle", {"album"}};
    case Genre: return {"WM/Genre", {"genre"}};
    case Year: return {"WM/Year", {"date"}};
    case Track: return {"WM/TrackNumber", {"track"}};
    }
    return {};
}

StringList asfAttributeValues(const TagLib::ASF::Tag& t, const char* name)
{
    StringList values;
    for (const auto& a : t.attribute(name))
        values.append(a.type() == TagLib::ASF::Attribute::DWordType ? String::number(a.toUInt()) : a.toString());
    return values;
}

StringList asfValues(const TagLib::ASF::Tag& t, Field field)
{
    const AsfNames names = asfNames(field);
    StringList values;
    if (field == Title) values = listOf(t.title());
    else if (field == Artist) values = listOf(t.artist());
    else if (field == Comment) values = listOf(t.comment());
    else values = asfAttributeValues(t, names.attribute);
    for (const char* shadow : names.shadows)
        if (values.isEmpty()) values = asfAttributeValues(t, shadow);
    return values;
}

void setAsfValues(TagLib::ASF::Tag& t, Field field, const StringList& values)
{
    const AsfNames names = asfNames(field);
    for (const char* shadow : names.shadows) t.removeItem(shadow);
    if (field == Title) return t.setTitle(joined(values));
    if (field == Artist) return t.setArtist(joined(values));
    if (field == Comment) return t.setComment(joined(values));
    const char* name = names.attribute;
    // A track number stays a number where it was one, as Windows Media writes it.
    const auto old = t.attribute(name);
    const bool number = field == Track && (old.isEmpty() || old.front().type() == TagLib::ASF::Attribute::DWordType)
                        && values.size() == 1 && String::number(leadingNumber(values)) == values.front();
    t.removeItem(name);
    if (number) return t.setAttribute(name, TagLib::ASF::Attribute(leadingNumber(values)));
    for (const String& v : values) t.addAttribute(name, TagLib::ASF::Attribute(v));
}

// --- MP4: atoms; the track is a number pair.

const char* mp4Atom(Field field)
{
    switch (field) {
    case Title: return "\251nam";
    case Artist: return "\251ART";
    case Album: return "\251alb";
    case Comment: return "\251cmt";
    case Genre: return "\251gen";
    case Year: return "\251day";
    case Track: return "trkn";
    }
    return "";
}

StringList mp4Values(const TagLib::MP4::Tag& t, Field field)
{
    if (field == Track) {
        if (!t.contains("trkn")) return {};
        const auto pair = t.item("trkn").toIntPair();
        if (pair.first <= 0) return {};
        return StringList(String::number(pair.first) + (pair.second > 0 ? "/" + String::number(pair.second) : ""));
    }
    if (field == Genre && !t.contains("\251gen") && t.contains("gnre"))
        return listOf(t.genre());
    return t.contains(mp4Atom(field)) ? t.item(mp4Atom(field)).toStringList() : StringList();
}

void setMp4Values(TagLib::MP4::Tag& t, Field field, const StringList& values)
{
    if (field == Genre) t.removeItem("gnre");
    if (values.isEmpty()) return t.removeItem(mp4Atom(field));
    if (field != Track) return t.setItem(mp4Atom(field), values);
    const QString text = fromTagLib(values.front());
    const int total = text.section('/', 1, 1).trimmed().toInt();
    t.setItem("trkn", TagLib::MP4::Item(static_cast<int>(leadingNumber(values)), total));
}

// --- Anything else (ID3v1, tracker modules): TagLib's plain fields.

StringList plainValues(const TagLib::Tag& t, Field field)
{
    switch (field) {
    case Title: return listOf(t.title());
    case Artist: return listOf(t.artist());
    case Album: return listOf(t.album());
    case Comment: return listOf(t.comment());
    case Genre: return listOf(t.genre());
    case Year: return t.year() ? StringList(String::number(t.year())) : StringList();
    case Track: return t.track() ? StringList(String::number(t.track())) : StringList();
    }
    return {};
}

void setPlainValues(TagLib::Tag& t, Field field, const StringList& values)
{
    switch (field) {
    case Title: return t.setTitle(joined(values));
    case Artist: return t.setArtist(joined(values));
    case Album: return t.setAlbum(joined(values));
    case Comment: return t.setComment(joined(values));
    case Genre: return t.setGenre(values.isEmpty() ? String() : values.front());
    case Year: return t.setYear(leadingNumber(values));
    case Track: return t.setTrack(leadingNumber(values));
    }
}

}  // namespace

std::pair<const char*, const char*> infoFieldIds(Field field)
{
    switch (field) {
    case Title: return {"INAM", nullptr};
    case Artist: return {"IART", nullptr};
    case Album: return {"IPRD", nullptr};
    case Comment: return {"ICMT", nullptr};
    case Genre: return {"IGNR", nullptr};
    case Year: return {"ICRD", nullptr};
    case Track: return {"IPRT", "ITRK"};
    }
    return {"", nullptr};
}

StringList infoFieldValues(const TagLib::RIFF::Info::Tag& t, Field field)
{
    const auto [id, older] = infoFieldIds(field);
    const String text = t.fieldText(id);
    return !text.isEmpty() || !older ? listOf(text) : listOf(t.fieldText(older));
}

std::vector<const char*> id3v2FrameIds(Field field, unsigned int version)
{
    switch (field) {
    case Title: return {"TIT2"};
    case Artist: return {"TPE1"};
    case Album: return {"TALB"};
    case Genre: return {"TCON"};
    case Track: return {"TRCK"};
    // Version 2.3 keeps the year, the day and the time apart; TagLib joins
    // them into TDRC as it reads and splits them again as it writes.
    case Year: return version == 4 ? std::vector<const char*>{"TDRC"}
                                   : std::vector<const char*>{"TYER", "TDAT", "TIME", "TDRC"};
    case Comment: break;
    }
    return {"COMM"};
}

StringList stagedValues(const TagFields& f, Field field, const StringList& old)
{
    const auto text = [](const QString& s) { return s.isEmpty() ? StringList() : StringList(toTagLib(s)); };
    switch (field) {
    case Title: return text(f.title);
    case Artist: return text(f.artist);
    case Album: return text(f.album);
    case Comment: return text(f.comment);
    case Genre: return text(f.genre);
    case Year: return f.year > 0 ? StringList(String::number(f.year)) : StringList();
    case Track: break;
    }
    if (f.track <= 0) return {};
    // A new track number keeps the album's track count ("3/12" becomes "4/12").
    QString track = QString::number(f.track);
    const QString before = old.isEmpty() ? QString() : fromTagLib(old.front());
    if (const qsizetype slash = before.indexOf(u'/'); slash >= 0) track += before.mid(slash);
    return StringList(toTagLib(track));
}

StringList fieldValues(const TagLib::Tag& tag, Field field)
{
    if (auto* t = dynamic_cast<const TagLib::ID3v2::Tag*>(&tag)) return id3v2Values(*t, field);
    if (auto* t = dynamic_cast<const TagLib::Ogg::XiphComment*>(&tag)) return xiphValues(*t, field);
    if (auto* t = dynamic_cast<const TagLib::APE::Tag*>(&tag)) return apeValues(*t, field);
    if (auto* t = dynamic_cast<const TagLib::RIFF::Info::Tag*>(&tag)) return infoFieldValues(*t, field);
    if (auto* t = dynamic_cast<const TagLib::ASF::Tag*>(&tag)) return asfValues(*t, field);
    if (auto* t = dynamic_cast<const TagLib::MP4::Tag*>(&tag)) return mp4Values(*t, field);
    return plainValues(tag, field);
}

void setFieldValues(TagLib::Tag& tag, Field field, const StringList& values)
{
    if (auto* t = dynamic_cast<TagLib::ID3v2::Tag*>(&tag)) return setId3v2Values(*t, field, values);
    if (auto* t = dynamic_cast<TagLib::Ogg::XiphComment*>(&tag)) return setXiphValues(*t, field, values);
    if (auto* t = dynamic_cast<TagLib::APE::Tag*>(&tag)) return setApeValues(*t, field, values);
    if (auto* t = dynamic_cast<TagLib::RIFF::Info::Tag*>(&tag)) return setInfoValues(*t, field, values);
    if (auto* t = dynamic_cast<TagLib::ASF::Tag*>(&tag)) return setAsfValues(*t, field, values);
    if (auto* t = dynamic_cast<TagLib::MP4::Tag*>(&tag)) return setMp4Values(*t, field, values);
    setPlainValues(tag, field, values);
}

}  // namespace taglibaccess
