"""The audio part of the damaged-file corpus: seeds in every format the reader
takes, made with sox and ffmpeg, and what becomes of them (truncations, bit
flips, random bytes), crafted WAV headers, garbage under audio extensions,
special files and odd names.

Every maker takes a random.Random and returns a list of Entry; the same seed
gives the same corpus."""

import os
import socket
import struct
import subprocess
from dataclasses import dataclass, field


@dataclass
class Entry:
    kind: str           # for the summary: seed, truncated, flipped, ...
    path: bytes         # as the driver gets it (relative names run in cwd)
    cwd: bytes = b""
    expect_frames: int | None = None   # decoded length a read must give
    extra: dict = field(default_factory=dict)


SECONDS = 0.4

# (file name, tool and arguments after the source WAV, before the output).
# The source is 0.4 s of two tones at 44.1 kHz, 16-bit stereo.
SEEDS = [
    ("u8.wav", "sox", ["-b", "8", "-e", "unsigned"]),
    ("s16.wav", "sox", ["-b", "16"]),
    ("s24.wav", "sox", ["-b", "24"]),
    ("s32.wav", "sox", ["-b", "32", "-e", "signed"]),
    ("f32.wav", "sox", ["-b", "32", "-e", "float"]),
    ("f64.wav", "sox", ["-b", "64", "-e", "float"]),
    ("mono8k.wav", "sox", ["-r", "8000", "-c", "1"]),
    ("hires.wav", "sox", ["-r", "96000", "-b", "24"]),
    ("msadpcm.wav", "sox", ["-e", "ms-adpcm"]),
    ("imaadpcm.wav", "sox", ["-e", "ima-adpcm"]),
    ("mulaw.wav", "sox", ["-e", "mu-law"]),
    ("alaw.wav", "sox", ["-e", "a-law"]),
    ("gsm.wav", "sox", ["-r", "8000", "-c", "1", "-e", "gsm-full-rate"]),
    ("six.wav", "ffmpeg", ["-ac", "6", "-c:a", "pcm_s16le"]),
    ("rf64.wav", "ffmpeg", ["-c:a", "pcm_s16le", "-rf64", "always"]),
    ("s16.aiff", "sox", []),
    ("s24.aifc", "ffmpeg", ["-c:a", "pcm_s24be", "-f", "aiff"]),
    ("s16.au", "sox", []),
    ("s16.w64", "sox", []),
    ("s16.caf", "ffmpeg", ["-c:a", "pcm_s16le"]),
    ("cbr.mp3", "ffmpeg", ["-c:a", "libmp3lame", "-b:a", "128k"]),
    ("vbr.mp3", "ffmpeg", ["-c:a", "libmp3lame", "-q:a", "4"]),
    ("noxing.mp3", "ffmpeg", ["-c:a", "libmp3lame", "-b:a", "64k", "-write_xing", "0"]),
    ("mono.mp3", "ffmpeg", ["-c:a", "libmp3lame", "-ac", "1", "-ar", "22050", "-b:a", "32k"]),
    ("tagged.mp3", "ffmpeg", ["-c:a", "libmp3lame", "-metadata", "title=Seed", "-id3v2_version", "3"]),
    ("layer2.mp2", "ffmpeg", ["-c:a", "mp2"]),
    ("v1.wma", "ffmpeg", ["-c:a", "wmav1"]),
    ("v2.wma", "ffmpeg", ["-c:a", "wmav2"]),
    ("vorbis.ogg", "ffmpeg", ["-c:a", "libvorbis"]),
    ("opus.opus", "ffmpeg", ["-c:a", "libopus"]),
    ("speex.spx", "ffmpeg", ["-c:a", "libspeex", "-ar", "16000", "-ac", "1"]),
    ("lossless.flac", "ffmpeg", ["-c:a", "flac"]),
    ("aac.m4a", "ffmpeg", ["-c:a", "aac", "-b:a", "96k"]),
    ("alac.m4a", "ffmpeg", ["-c:a", "alac"]),
    ("adts.aac", "ffmpeg", ["-c:a", "aac", "-f", "adts"]),
    ("ac3.ac3", "ffmpeg", ["-c:a", "ac3"]),
    ("pack.wv", "ffmpeg", ["-c:a", "wavpack"]),
    ("true.tta", "ffmpeg", ["-c:a", "tta"]),
]


def run(args):
    subprocess.run(args, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def make_seeds(folder):
    """The seed files, keyed by name."""
    source = os.path.join(folder, "source.wav")
    run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", source,
         "synth", str(SECONDS), "sine", "440", "sine", "660"])
    seeds = {}
    for name, tool, args in SEEDS:
        out = os.path.join(folder, name)
        if tool == "sox":
            run(["sox", source] + args + [out])
        else:
            run(["ffmpeg", "-v", "error", "-nostdin", "-y", "-i", source, "-fflags", "+bitexact",
                 "-flags:a", "+bitexact"] + args + [out])
        with open(out, "rb") as f:
            seeds[name] = f.read()
    os.unlink(source)
    return seeds


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def split(name):
    stem, dot, ext = name.rpartition(".")
    return (stem, "." + ext) if dot else (name, "")


def mutations(rng, folder, seeds):
    """Truncations, bit flips and random bytes of every seed."""
    out = []

    def add(kind, seed, tag, data):
        stem, ext = split(seed)
        path = os.path.join(folder, f"{stem}.{kind}.{tag}{ext}").encode()
        write(path, data)
        out.append(Entry(kind, path))

    for seed, data in seeds.items():
        n = len(data)
        # Where headers end and frames begin, then anywhere.
        points = {1, 4, 12, 44, 45, 100} | {rng.randrange(1, min(n, 600)) for _ in range(2)}
        points |= {int(n * f) for f in (0.3, 0.7)} | {n - 1, n - rng.randrange(2, 300)}
        for p in sorted(q for q in points if 0 < q < n):
            add("truncated", seed, p, data[:p])

        for i, (flips, lo, hi) in enumerate([(1, 0, 256), (1, 0, n), (4, 0, 256), (8, 0, n),
                                              (32, 0, n), (2, max(0, n - 256), n)]):
            b = bytearray(data)
            for _ in range(flips):
                at = rng.randrange(lo, min(hi, n))
                b[at] ^= 1 << rng.randrange(8)
            add("flipped", seed, i, bytes(b))

        b = bytearray(data)                       # a run of noise in the header
        at = rng.randrange(0, min(n, 200))
        b[at:at + 64] = rng.randbytes(64)
        add("randomised", seed, "run", bytes(b[:n]))
        b = bytearray(data)                       # integer edge values
        for _ in range(6):
            at = rng.randrange(0, min(n, 300))
            b[at] = rng.choice([0x00, 0xFF, 0x7F, 0x80])
        add("randomised", seed, "edges", bytes(b))
        at, size = rng.randrange(0, n), rng.randrange(1, 4000)
        add("randomised", seed, "repeat", data[:at] + data[at:at + size] + data[at:])
        at = rng.randrange(0, n)
        add("randomised", seed, "cut", data[:at] + data[at + rng.randrange(1, 2000):])
    return out


# ---- crafted WAV headers --------------------------------------------------

def chunk(tag, body, size=None):
    size = len(body) if size is None else size
    pad = b"\0" if len(body) % 2 else b""
    return tag + struct.pack("<I", size & 0xFFFFFFFF) + body + pad


def fmt(tag=1, channels=2, rate=44100, bits=16, align=None, byterate=None, extra=b""):
    align = (channels * bits // 8) & 0xFFFF if align is None else align
    byterate = (rate * align) & 0xFFFFFFFF if byterate is None else byterate
    return struct.pack("<HHIIHH", tag & 0xFFFF, channels & 0xFFFF, rate & 0xFFFFFFFF, byterate,
                       align & 0xFFFF, bits & 0xFFFF) + extra


def riff(*chunks, size=None, magic=b"RIFF", form=b"WAVE"):
    body = form + b"".join(chunks)
    return magic + struct.pack("<I", (len(body) if size is None else size) & 0xFFFFFFFF) + body


def extensible(subformat, valid_bits=16, mask=3, cb=22):
    return struct.pack("<HHI", cb, valid_bits, mask) + subformat


PCM_GUID = bytes.fromhex("0100000000001000800000aa00389b71")
FLOAT_GUID = bytes.fromhex("0300000000001000800000aa00389b71")
INFO = chunk(b"LIST", b"INFO" + chunk(b"INAM", b"A title that is no sound\0"))

EXTREMES32 = [0, 1, 2, 3, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF0]
EXTREMES16 = [0, 1, 3, 0x7FFF, 0x8000, 0xFFFF]


def crafted(rng, folder):
    frames = rng.randbytes(4000)
    cases = {}
    for r in [0, 1, 7, 8000, 384000, 25_000_001, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF]:
        cases[f"rate{r}"] = riff(chunk(b"fmt ", fmt(rate=r)), chunk(b"data", frames))
    for c in [0, 1, 3, 8, 64, 255, 256, 1024, 0xFFFF]:
        cases[f"channels{c}"] = riff(chunk(b"fmt ", fmt(channels=c)), chunk(b"data", frames))
    for tag in (1, 3):
        for b in [0, 1, 4, 8, 12, 20, 24, 32, 33, 48, 64, 0xFFFF]:
            cases[f"tag{tag}bits{b}"] = riff(chunk(b"fmt ", fmt(tag=tag, bits=b)), chunk(b"data", frames))
    for tag in [0, 2, 6, 7, 0x11, 0x31, 0x50, 0x55, 0x161, 0x2000, 0xFFFF]:
        cases[f"tag{tag:x}"] = riff(chunk(b"fmt ", fmt(tag=tag, extra=b"\0\0")), chunk(b"data", frames))
    for name, ext in [("pcm", extensible(PCM_GUID)), ("float", extensible(FLOAT_GUID, 32)),
                      ("junkguid", extensible(rng.randbytes(16))), ("shortcb", extensible(PCM_GUID, cb=2)),
                      ("hugecb", extensible(PCM_GUID, cb=0xFFFF)), ("valid0", extensible(PCM_GUID, 0, 0)),
                      ("valid64", extensible(PCM_GUID, 64, 0xFFFFFFFF)), ("truncext", extensible(PCM_GUID)[:9])]:
        cases[f"ext-{name}"] = riff(chunk(b"fmt ", fmt(tag=0xFFFE, extra=ext)), chunk(b"data", frames))
    for a in EXTREMES16:
        cases[f"align{a}"] = riff(chunk(b"fmt ", fmt(align=a)), chunk(b"data", frames))
    for br in [0, 1, 0xFFFFFFFF]:
        cases[f"byterate{br}"] = riff(chunk(b"fmt ", fmt(byterate=br)), chunk(b"data", frames))
    for size in EXTREMES32 + [4001, len(frames) + 1000, len(frames) - 1]:
        body = frames[:size] if size < len(frames) else frames
        cases[f"data{size}"] = riff(chunk(b"fmt ", fmt()), chunk(b"data", body, size))
        cases[f"data{size}-info"] = riff(chunk(b"fmt ", fmt()), chunk(b"data", body, size), INFO)
    for n in range(4):
        cases[f"tiny{n}-info"] = riff(chunk(b"fmt ", fmt()), chunk(b"data", frames[:n]), INFO)
    for size in [0, 2, 14, 15, 17, 18, 40, 0x7FFFFFFF, 0xFFFFFFFF]:
        cases[f"fmtsize{size}"] = riff(chunk(b"fmt ", fmt(), size), chunk(b"data", frames))
    for size in [0, 4, 12, 0x7FFFFFFF, 0xFFFFFFFF]:
        cases[f"riffsize{size}"] = riff(chunk(b"fmt ", fmt()), chunk(b"data", frames), size=size)
    f, d = chunk(b"fmt ", fmt()), chunk(b"data", frames)
    cases.update({
        "nofmt": riff(d), "nodata": riff(f), "datafirst": riff(d, f), "onlyriff": riff(),
        "twofmt": riff(f, chunk(b"fmt ", fmt(rate=8000, channels=1)), d), "twodata": riff(f, d, d),
        "hugejunk": riff(chunk(b"JUNK", b"", 0xFFFFFFFF), f, d), "oddjunk": riff(chunk(b"JUNK", b"x"), f, d),
        "unpadded": riff(f, b"data" + struct.pack("<I", 3) + frames),
        "hugelist": riff(f, chunk(b"LIST", b"INFO", 0xFFFFFFF0), d),
        "rifx": riff(f, d, magic=b"RIFX"), "nowave": riff(f, d, form=b"WAVX"), "riff-only-magic": b"RIFF",
        "bigheader": riff(f, chunk(b"JUNK", rng.randbytes(70000)), d),
    })
    for sizes in [(0, 0), (2**63 - 1, 2**63 - 1), (2**64 - 1, 2**64 - 1), (4000, 2**62)]:
        ds64 = chunk(b"ds64", struct.pack("<QQQI", sizes[0], sizes[1], sizes[1] // 4, 0))
        cases[f"rf64-{sizes[1]:x}"] = riff(ds64, f, chunk(b"data", frames, 0xFFFFFFFF),
                                             magic=b"RF64", size=0xFFFFFFFF)
    cases["rf64-nods64"] = riff(f, chunk(b"data", frames, 0xFFFFFFFF), magic=b"RF64", size=0xFFFFFFFF)
    # Every field at an extreme at once.
    for i in range(60):
        tag = rng.choice([1, 3, 0xFFFE, rng.randrange(0x10000)])
        ext = extensible(rng.choice([PCM_GUID, FLOAT_GUID]), rng.choice(EXTREMES16)) if tag == 0xFFFE else b""
        fm = fmt(tag, rng.choice(EXTREMES16 + [1, 2, 6]), rng.choice(EXTREMES32 + [44100, 8000]),
                 rng.choice(EXTREMES16 + [8, 16, 24, 32]), rng.choice(EXTREMES16 + [None]),
                 rng.choice(EXTREMES32 + [None]), ext)
        body = frames[:rng.randrange(0, len(frames))]
        cases[f"mixed{i}"] = riff(chunk(b"fmt ", fm, rng.choice([len(fm), len(fm), 16, 0xFFFFFFFF])),
                                  chunk(b"data", body, rng.choice([len(body), len(body)] + EXTREMES32)),
                                  *([INFO] if rng.random() < 0.5 else []))
    out = []
    for name, data in cases.items():
        path = os.path.join(folder, f"{name}.wav").encode()
        write(path, data)
        out.append(Entry("crafted-wav", path))
    return out


# ---- garbage, special files, odd names ------------------------------------

EXTENSIONS = ["wav", "mp3", "wma", "ogg", "flac", "m4a", "aac", "aiff", "au", "opus", "mp2", "ac3"]
MAGIC = {"riff": b"RIFF\xff\xff\xff\xffWAVEfmt ", "id3": b"ID3\x04\x00\x00\x7f\x7f\x7f\x7f", "flac": b"fLaC",
         "ogg": b"OggS\x00\x02", "asf": bytes.fromhex("3026b2758e66cf11a6d900aa0062ce6c"),
         "m4a": b"\0\0\0\x20ftypM4A ", "aiff": b"FORM\xff\xff\xff\xffAIFFCOMM", "mp3sync": b"\xff\xfb\x90\x64"}


def garbage(rng, folder, seeds):
    out = []

    def add(kind, name, data):
        path = os.path.join(folder, name).encode()
        write(path, data)
        out.append(Entry(kind, path))

    text = b"Shopping list\nmilk\nbread\n" * 100
    for ext in EXTENSIONS:
        add("garbage", f"random.{ext}", rng.randbytes(4096))
        add("garbage", f"zeros.{ext}", bytes(4096))
        add("garbage", f"ones.{ext}", b"\xff" * 4096)
        add("garbage", f"text.{ext}", text)
        add("garbage", f"byte.{ext}", b"\x01")
    for name, magic in MAGIC.items():
        for ext in ("wav", "mp3"):
            add("garbage", f"magic-{name}.{ext}", magic + rng.randbytes(3000))
    # Real audio under another format's extension.
    names = sorted(seeds)
    for ext in EXTENSIONS:
        seed = rng.choice(names)
        add("wrong-extension", f"{split(seed)[0]}-as.{ext}", seeds[seed])
    # Sync words everywhere: a decoder resyncs on each.
    add("garbage", "syncs.mp3", (b"\xff\xfb\x90\x64" + bytes(40)) * 200)
    add("garbage", "huge-id3.mp3", b"ID3\x03\x00\x00\x7f\x7f\x7f\x7f" + seeds["cbr.mp3"])
    return out


def special(folder):
    """Names that are not regular files."""
    out = []

    def at(name):
        return os.path.join(folder, name).encode()

    os.mkfifo(at("fifo.wav"))
    os.mkfifo(at("fifo.mp3"))
    os.mkdir(at("folder.wav"))
    os.symlink("nowhere.wav", at("dangling.wav"))
    os.symlink("loop.wav", at("loop.wav"))
    os.symlink("loopb.mp3", at("loopa.mp3"))
    os.symlink("loopa.mp3", at("loopb.mp3"))
    os.symlink("/dev/zero", at("zero.wav"))
    os.symlink("/dev/null", at("null.mp3"))
    os.symlink("/dev/urandom", at("urandom.wma"))
    os.symlink("folder.wav", at("tofolder.flac"))
    write(at("empty.wav"), b"")
    s = socket.socket(socket.AF_UNIX)
    s.bind(at("socket.ogg"))
    s.close()
    for name in ["fifo.wav", "fifo.mp3", "folder.wav", "dangling.wav", "loop.wav", "loopa.mp3", "zero.wav",
                 "null.mp3", "urandom.wma", "tofolder.flac", "empty.wav", "socket.ogg", "missing.wav"]:
        out.append(Entry("special", at(name)))
    return out


ODD_NAMES = [b"caf\xe9 latin-1.wav", b"\xff\xfe.wav", b"-r.wav", b"--help.wav", b"file:tone.wav",
             b"concat:tone.wav|tone.wav", b"http:tone.wav", b"with  spaces .wav", b"new\nline.wav",
             b"hash#?.wav", b"percent%20.wav", b"a" * 240 + b".wav", b".hidden.wav", b"no-extension",
             b"LOUD.WAV", b"tone.wav.mp3", b"~tilde.wav", b"back\\slash.wav"]


def odd_names(folder, seeds, frames):
    """The 16-bit seed under names a shell or a URL parser would take apart;
    each must read as itself. tone.wav beside them is other audio, so a name
    read as a URL to it shows."""
    write(os.path.join(folder, "tone.wav"), seeds["mono8k.wav"])
    out = []
    for name in ODD_NAMES:
        write(os.path.join(folder.encode(), name), seeds["s16.wav"])
        out.append(Entry("odd-name", name, cwd=folder.encode(), expect_frames=frames))
    return out
