#include "components/taglib/TagLibInfoEdit.h"

#include "components/taglib/TagLibFields.h"

#include <taglib/infotag.h>

#include <optional>
#include <vector>

namespace taglibaccess {

namespace {

using TagLib::ByteVector;

struct Text {
    ByteVector id;
    ByteVector bytes;  // id, size, text and pad byte, as stored
};

std::optional<std::vector<Text>> textsOf(const ByteVector& list)
{
    std::vector<Text> texts;
    unsigned int at = 4;  // past "INFO"
    while (at + 8 <= list.size()) {
        const unsigned int size = list.toUInt(at + 4, false);
        if (size > list.size() - at - 8) return std::nullopt;
        const unsigned int whole = 8 + size + (size & 1);
        texts.push_back({list.mid(at, 4), list.mid(at, std::min(whole, list.size() - at))});
        at += whole;
    }
    return at >= list.size() ? std::optional(texts) : std::nullopt;
}

// A text as TagLib's INFO writer lays it out: NUL-terminated, padded to even.
ByteVector rendered(const ByteVector& id, const ByteVector& text)
{
    ByteVector data = text;
    data.append('\0');
    ByteVector bytes = id + ByteVector::fromUInt(data.size(), false) + data;
    if (bytes.size() & 1) bytes.append('\0');
    return bytes;
}

}  // namespace

ByteVector editedInfo(const ByteVector& list, const TagFields& f)
{
    if (!list.startsWith("INFO")) return {};
    auto texts = textsOf(list);
    if (!texts) return {};
    // Read as the program reads INFO texts, for a track's count.
    const TagLib::RIFF::Info::Tag parsed(list);
    std::vector<ByteVector> body;
    for (const Text& t : *texts) body.push_back(t.bytes);
    ByteVector added;
    for (const Field field : fields) {
        if (!(f.staged & field)) continue;
        const auto [id, older] = infoFieldIds(field);
        const TagLib::StringList values = stagedValues(f, field, infoFieldValues(parsed, field));
        const ByteVector now = values.isEmpty() ? ByteVector() : rendered(id, values.toString("; ").data(TagLib::String::UTF8));
        bool placed = false;
        for (size_t i = 0; i < texts->size(); ++i) {
            const ByteVector& name = (*texts)[i].id;
            if (name != id && !(older && name == older)) continue;
            body[i] = placed ? ByteVector() : now;
            placed = true;
        }
        if (!placed) added.append(now);
    }
    ByteVector edited("INFO");
    for (const ByteVector& b : body) edited.append(b);
    edited.append(added);
    return edited;
}

}  // namespace taglibaccess
