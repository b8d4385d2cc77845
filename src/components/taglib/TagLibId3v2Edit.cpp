#include "components/taglib/TagLibId3v2Edit.h"

#include "components/taglib/TagLibFields.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/textidentificationframe.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace taglibaccess {

namespace {

using TagLib::ByteVector;
using TagLib::String;
using TagLib::StringList;
namespace ID3v2 = TagLib::ID3v2;

constexpr unsigned int headerSize = 10;
// Room left for later edits when the frames outgrow the tag, as TagLib leaves.
constexpr unsigned int growthPadding = 1024;

// A new frame, rendered for the tag's version (sizes, allowed encodings).
template <typename F>
struct Fresh : F {
    template <typename... A>
    explicit Fresh(unsigned int version, A&&... args) : F(std::forward<A>(args)...)
    {
        this->header()->setVersion(version);
    }
};

struct Frame {
    ByteVector id;
    ByteVector bytes;  // header and body, as stored
};

unsigned int sizeAt(const ByteVector& data, unsigned int at, bool syncsafe)
{
    unsigned int size = 0;
    for (unsigned int i = at; i < at + 4; ++i)
        size = syncsafe ? (size << 7) | (static_cast<unsigned char>(data[i]) & 0x7F)
                        : (size << 8) | static_cast<unsigned char>(data[i]);
    return size;
}

ByteVector syncsafe(unsigned int size)
{
    ByteVector bytes(4, '\0');
    for (int i = 3; i >= 0; --i, size >>= 7) bytes[i] = static_cast<char>(size & 0x7F);
    return bytes;
}

bool isFrameId(const ByteVector& id)
{
    for (const char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return id.size() == 4;
}

// A frame's stated text encoding; a damaged one states any byte.
String::Type checked(String::Type encoding)
{
    switch (static_cast<int>(encoding)) {
    case String::Latin1: case String::UTF16: case String::UTF16BE: case String::UTF8: return encoding;
    default: return String::Latin1;  // TagLib widens it where the text needs it
    }
}

// The frames of a tag body; nothing when they do not parse cleanly up to
// the padding (version 2.4 sizes written as plain integers, say).
std::optional<std::vector<Frame>> framesOf(const ByteVector& body, unsigned int version)
{
    std::vector<Frame> frames;
    unsigned int at = 0;
    while (at + headerSize <= body.size() && body[at] != '\0') {
        const ByteVector id = body.mid(at, 4);
        if (!isFrameId(id)) return std::nullopt;
        if (version == 4)
            for (unsigned int i = at + 4; i < at + 8; ++i)
                if (body[i] & 0x80) return std::nullopt;
        const unsigned int size = sizeAt(body, at + 4, version == 4);
        if (size > body.size() - at - headerSize) return std::nullopt;
        frames.push_back({id, body.mid(at, headerSize + size)});
        at += headerSize + size;
    }
    for (; at < body.size(); ++at)
        if (body[at] != '\0') return std::nullopt;
    return frames;
}

// The frames of one tag, and what an edit makes of them.
class Editor {
public:
    Editor(const ByteVector& headerBytes, std::vector<Frame> frames)
        : headerBytes_(headerBytes), header_(headerBytes), frames_(std::move(frames))
    {
    }

    // The tag with the staged fields replaced; at least oldBodySize long.
    ByteVector edited(const TagFields& f, unsigned int oldBodySize) const
    {
        std::vector<ByteVector> body;
        for (const Frame& frame : frames_) body.push_back(frame.bytes);
        ByteVector added;
        for (const Field field : fields) {
            if (!(f.staged & field)) continue;
            const int at = holder(field);
            const ByteVector now = replacement(field, f, at);
            // Comments other than the shown one are other fields (players'
            // data, described notes); every other frame of a field goes.
            for (int i = 0; i < static_cast<int>(frames_.size()); ++i)
                if (i == at || (field != Comment && holds(field, i))) body[i] = ByteVector();
            if (at >= 0) body[at] = now;
            else added.append(now);
        }
        ByteVector data;
        for (const ByteVector& b : body) data.append(b);
        data.append(added);
        data.resize(data.size() <= oldBodySize ? oldBodySize : data.size() + growthPadding, '\0');
        // The header as it was, flags included; only the size is new.
        return headerBytes_.mid(0, 6) + syncsafe(data.size()) + data;
    }

private:
    unsigned int version() const { return header_.majorVersion(); }

    std::unique_ptr<ID3v2::Frame> parsed(int i) const
    {
        return std::unique_ptr<ID3v2::Frame>(ID3v2::FrameFactory::instance()->createFrame(frames_[i].bytes, &header_));
    }

    bool holds(Field field, int i) const
    {
        for (const char* id : id3v2FrameIds(field, version()))
            if (frames_[i].id == id) return true;
        return false;
    }

    // The frame that holds field, -1 when none does: the field's main frame
    // (TYER rather than TDAT), else any of its frames. For comments the one
    // TagLib shows: the first without a description, else the first.
    int holder(Field field) const
    {
        const ByteVector main = id3v2FrameIds(field, version()).front();
        int first = -1;
        for (int i = 0; i < static_cast<int>(frames_.size()); ++i) {
            if (!holds(field, i)) continue;
            if (field != Comment) {
                if (frames_[i].id == main) return i;
                if (first < 0) first = i;
                continue;
            }
            const auto frame = parsed(i);
            const auto* c = dynamic_cast<const ID3v2::CommentsFrame*>(frame.get());
            if (c && c->description().isEmpty()) return i;
            if (first < 0 && c) first = i;
        }
        return first;
    }

    // The frame that holds the staged value, empty when the value is none;
    // in the text encoding of the frame it replaces.
    ByteVector replacement(Field field, const TagFields& f, int holder) const
    {
        const auto old = holder >= 0 ? parsed(holder) : nullptr;
        if (field == Comment) {
            const StringList values = stagedValues(f, field, {});
            if (values.isEmpty()) return {};
            // A parsed frame is already of the tag's version.
            auto* kept = dynamic_cast<ID3v2::CommentsFrame*>(old.get());
            Fresh<ID3v2::CommentsFrame> fresh(version());
            if (!kept) kept = &fresh;
            kept->setTextEncoding(checked(kept->textEncoding()));
            kept->setText(values.toString("; "));
            return kept->render();
        }
        const auto* text = dynamic_cast<const ID3v2::TextIdentificationFrame*>(old.get());
        const StringList values = stagedValues(f, field, text ? text->fieldList() : StringList());
        if (values.isEmpty()) return {};
        // TagLib widens Latin-1 where the text needs it.
        Fresh<ID3v2::TextIdentificationFrame> fresh(version(), ByteVector(id3v2FrameIds(field, version()).front()),
                                                    checked(text ? text->textEncoding() : String::Latin1));
        fresh.setText(values);
        return fresh.render();
    }

    ByteVector headerBytes_;
    ID3v2::Header header_;
    std::vector<Frame> frames_;
};

}  // namespace

ByteVector editedId3v2(const ByteVector& tag, const TagFields& f)
{
    if (tag.size() < headerSize || !tag.startsWith("ID3")) return {};
    const ByteVector headerBytes = tag.mid(0, headerSize);
    const ID3v2::Header header(headerBytes);
    const unsigned int version = header.majorVersion();
    if ((version != 3 && version != 4) || header.unsynchronisation() || header.extendedHeader()
        || header.footerPresent() || header.tagSize() > tag.size() - headerSize)
        return {};
    auto frames = framesOf(tag.mid(headerSize, header.tagSize()), version);
    if (!frames) return {};
    const Editor editor(headerBytes, std::move(*frames));
    return editor.edited(f, header.tagSize()) + tag.mid(headerSize + header.tagSize());
}

}  // namespace taglibaccess
