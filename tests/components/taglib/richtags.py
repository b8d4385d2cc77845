#!/usr/bin/python3
"""Rich tags as other taggers write them, and everything mutagen sees of a tag.

  richtags.py make FILE [v3]   puts a rich tag into FILE (chosen by its
                               extension; v3: an MP3's ID3v2 is version 2.3)
  richtags.py dump FILE        prints the tags as JSON: every frame, field and
                               value, pictures as a hash, and the ID3 version

Rich means what a player or tagger leaves behind and the tag window shows in
reduced form: two artists, a full date, a track with its total, a genre that
is not in the ID3v1 list, cover art, lyrics and a custom field.
"""

import base64
import hashlib
import json
import struct
import sys
import zlib

import mutagen
from mutagen.apev2 import APEv2File, APEBinaryValue
from mutagen.asf import ASF, ASFByteArrayAttribute
from mutagen.flac import FLAC, Picture
from mutagen.id3 import (APIC, COMM, ID3, TALB, TCON, TDAT, TDRC, TIT2, TPE1,
                         TRCK, TXXX, TYER, USLT, Encoding, PictureType)
from mutagen.mp3 import MP3
from mutagen.mp4 import MP4, MP4Cover
from mutagen.wave import WAVE



def png():
    """A 16 x 16 colour ramp, so peers decode the cover as a picture."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes([16 * x, 0, 255 - 16 * x]) * 16 for x in range(16))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


COVER = png()
LYRICS = "First line\nSecond line"


def id3_frames(v3):
    # Version 2.3 has no full date frame: the year and the day apart.
    date = [TYER(encoding=Encoding.UTF16, text=["2021"]), TDAT(encoding=Encoding.UTF16, text=["0605"])] \
        if v3 else [TDRC(encoding=Encoding.UTF8, text=["2021-05-06"])]
    return date + [
        TIT2(encoding=Encoding.UTF8, text=["Old Title"]),
        TPE1(encoding=Encoding.UTF8, text=["Alice", "Bob"]),
        TALB(encoding=Encoding.UTF8, text=["The Album"]),
        TCON(encoding=Encoding.UTF8, text=["Synthwave"]),
        TRCK(encoding=Encoding.UTF8, text=["3/12"]),
        COMM(encoding=Encoding.UTF8, lang="eng", desc="", text=["A comment"]),
        TXXX(encoding=Encoding.UTF8, desc="MOOD", text=["Calm"]),
        USLT(encoding=Encoding.UTF8, lang="eng", desc="", text=LYRICS),
        APIC(encoding=Encoding.UTF8, mime="image/png", type=PictureType.COVER_FRONT,
             desc="cover", data=COVER),
    ]


def make(path, v3):
    f = mutagen.File(path)
    if isinstance(f.tags, ID3) or path.endswith((".mp3", ".wav", ".aiff")):
        if f.tags is None:
            f.add_tags()
        for frame in id3_frames(v3):
            f.tags.add(frame)
        f.save(v2_version=3 if v3 else 4)
    elif isinstance(f, ASF):
        f.tags["Title"] = "Old Title"
        f.tags["Author"] = ["Alice", "Bob"]
        f.tags["WM/AlbumTitle"] = "The Album"
        f.tags["WM/Genre"] = "Synthwave"
        f.tags["WM/Year"] = "2021-05-06"
        f.tags["WM/TrackNumber"] = "3/12"
        f.tags["Description"] = "A comment"
        f.tags["WM/Mood"] = "Calm"
        f.tags["WM/Lyrics"] = LYRICS
        f.tags["WM/Picture"] = [ASFByteArrayAttribute(asf_picture())]
        f.save()
        restate_asf_size(path)
    elif isinstance(f, APEv2File):
        if f.tags is None:
            f.add_tags()
        f.tags["Title"] = "Old Title"
        f.tags["Artist"] = ["Alice", "Bob"]
        f.tags["Album"] = "The Album"
        f.tags["Genre"] = "Synthwave"
        f.tags["Year"] = "2021-05-06"
        f.tags["Track"] = "3/12"
        f.tags["Comment"] = "A comment"
        f.tags["Mood"] = "Calm"
        f.tags["Lyrics"] = LYRICS
        f.tags["Cover Art (Front)"] = APEBinaryValue(b"cover.png\0" + COVER)
        f.save()
    elif isinstance(f, MP4):
        if f.tags is None:
            f.add_tags()
        f.tags["\xa9nam"] = "Old Title"
        f.tags["\xa9ART"] = ["Alice", "Bob"]
        f.tags["\xa9alb"] = "The Album"
        f.tags["\xa9gen"] = "Synthwave"
        f.tags["\xa9day"] = "2021-05-06"
        f.tags["trkn"] = [(3, 12)]
        f.tags["\xa9cmt"] = "A comment"
        f.tags["----:com.apple.iTunes:MOOD"] = [b"Calm"]
        f.tags["\xa9lyr"] = LYRICS
        f.tags["covr"] = [MP4Cover(COVER, imageformat=MP4Cover.FORMAT_PNG)]
        f.save()
    else:
        if f.tags is None:
            f.add_tags()
        f.tags["TITLE"] = "Old Title"
        f.tags["ARTIST"] = ["Alice", "Bob"]
        f.tags["ALBUM"] = "The Album"
        f.tags["GENRE"] = "Synthwave"
        f.tags["DATE"] = "2021-05-06"
        f.tags["TRACKNUMBER"] = "3"
        f.tags["TRACKTOTAL"] = "12"
        f.tags["COMMENT"] = "A comment"
        f.tags["MOOD"] = "Calm"
        f.tags["LYRICS"] = LYRICS
        picture = Picture()
        picture.type = 3
        picture.mime = "image/png"
        picture.desc = "cover"
        picture.data = COVER
        if isinstance(f, FLAC):
            f.add_picture(picture)
        else:
            f.tags["METADATA_BLOCK_PICTURE"] = base64.b64encode(picture.write()).decode()
        f.save()


def restate_asf_size(path):
    """mutagen leaves the file size the header states as it was, and players
    then estimate the play time from the bitrate; state the new one."""
    properties = bytes.fromhex("A1DCAB8C47A9CF118EE400C00C205365")
    with open(path, "r+b") as f:
        data = f.read()
        at = data.index(properties)
        f.seek(at + 40)
        f.write(struct.pack("<Q", len(data)))


def asf_picture():
    mime = "image/png\0".encode("utf-16-le")
    desc = "cover\0".encode("utf-16-le")
    return struct.pack("<BI", 3, len(COVER)) + mime + desc + COVER


def digest(data):
    return "sha1:" + hashlib.sha1(bytes(data)).hexdigest()


def shown(value):
    return value if len(value) < 200 else digest(value.encode())


def dump(path):
    # ID3 frames as stored, not as mutagen would turn them into version 2.4.
    if path.endswith(".mp3"):
        f = MP3(path, translate=False)
    elif path.endswith(".wav"):
        f = WAVE(path, translate=False)
    else:
        f = mutagen.File(path)
    out = {"tags": {}}
    tags = f.tags
    if isinstance(tags, ID3):
        out["version"] = "2.%d" % tags.version[1]
        for key, frame in tags.items():
            if isinstance(frame, APIC):
                out["tags"][key] = [frame.mime, int(frame.type), frame.desc, digest(frame.data)]
            else:
                out["tags"][key] = repr(frame)
    elif isinstance(f, ASF):
        # TagLib stores the content description's unused texts (copyright,
        # rating) as empty strings where other taggers store none: no value.
        for key, values in tags.items():
            shown_values = [digest(v.value) if isinstance(v, ASFByteArrayAttribute) else str(v)
                            for v in values if str(v) != ""]
            if shown_values:
                out["tags"][key] = shown_values
    elif isinstance(f, APEv2File):
        for key, value in tags.items():
            out["tags"][key] = digest(value.value) if isinstance(value, APEBinaryValue) else list(value)
    elif isinstance(f, MP4):
        for key, values in tags.items():
            out["tags"][key] = [digest(v) if isinstance(v, MP4Cover) else str(v) for v in values]
    elif tags is not None:
        for key, values in tags.items():
            out["tags"][key.upper()] = [shown(v) for v in values]
    if isinstance(f, FLAC):
        out["pictures"] = [[p.mime, p.type, p.desc, digest(p.data)] for p in f.pictures]
    print(json.dumps(out, indent=1, sort_keys=True))


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "make":
        make(sys.argv[2], len(sys.argv) > 3 and sys.argv[3] == "v3")
    elif len(sys.argv) == 3 and sys.argv[1] == "dump":
        dump(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
