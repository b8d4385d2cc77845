"""The skin and settings-file part of the corpus: damaged copies of the real
skin, documents built to exhaust a parser (depth, size, entities, geometry)
and settings files built to cost memory or time."""

import os
import re

from corpus_audio import Entry, write


def _damaged(rng, data, kind_prefix, add):
    n = len(data)
    for p in sorted({1, 100, 1000} | {rng.randrange(1, n) for _ in range(9)}):
        add(f"{kind_prefix}-truncated", f"cut{p}", data[:p])
    for i in range(12):
        b = bytearray(data)
        for _ in range(rng.choice([1, 4, 32])):
            b[rng.randrange(n)] ^= 1 << rng.randrange(8)
        add(f"{kind_prefix}-flipped", f"flip{i}", bytes(b))
    for i in range(8):
        b = bytearray(data)
        at = rng.randrange(n)
        b[at:at + 48] = rng.randbytes(48)
        add(f"{kind_prefix}-randomised", f"noise{i}", bytes(b[:n]))


def _form(body, width=200, height=100, extra=""):
    return (f'<?xml version="1.0"?>\n<svg xmlns="http://www.w3.org/2000/svg" '
            f'xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:tamsel="urn:tamsel:skin" '
            f'width="400" height="400">{extra}<g id="f" tamsel:width="{width}" tamsel:height="{height}">'
            f'{body}</g></svg>').encode()


def _button(name, x, y, w, h):
    return (f'<g id="{name}" tamsel:kind="button"><g id="{name}.normal">'
            f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="red"/></g></g>')


def skins(rng, folder, skin_path):
    with open(skin_path, "rb") as f:
        real = f.read()
    out = []

    def add(kind, name, data):
        path = os.path.join(folder, f"{name}.dll").encode()
        write(path, data)
        out.append(Entry(kind, path))

    add("skin-real", "real", real)
    _damaged(rng, real, "skin", add)

    # Numbers of the real skin pushed to their limits.
    big = ["2147483648", "-2147483648", "2147483647", "1e308", "-1e308", "nan", "inf", "0", "-1", "99999999999"]
    for i, v in enumerate(big):
        add("skin-geometry", f"formsize{i}", re.sub(rb'tamsel:width="\d+"', f'tamsel:width="{v}"'.encode(), real))
        add("skin-geometry", f"translate{i}", re.sub(rb'translate\(([-0-9.]+)', f'translate({v}'.encode(), real, 3))
        add("skin-geometry", f"rect{i}", re.sub(rb'(<rect[^>]*?) x="[-0-9.]+"', rb'\1 x="' + v.encode() + b'"', real))
        add("skin-geometry", f"fontsize{i}", real.replace(b'tamsel:font-size="11"', f'tamsel:font-size="{v}"'.encode()))
    for v in ["2147483648", "-2147483648", "1e38", "-1e38", "nan"]:
        add("skin-geometry", f"button{v}", _form(_button("b", v, v, v, v)))
        add("skin-geometry", f"scale{v}", _form(f'<g transform="scale({v})">{_button("b", 1, 1, 10, 10)}</g>'))

    # Structure built to exhaust the reader or the renderer.
    for depth in [63, 100, 1000, 14000, 100000]:
        add("skin-nesting", f"groups{depth}", _form('<g>' * depth + _button("b", 0, 0, 5, 5) + '</g>' * depth))
    add("skin-nesting", "unclosed", _form('<g>' * 50000))
    add("skin-nesting", "svgs", _form('<svg>' * 5000 + '</svg>' * 5000))
    add("skin-size", "elements20000", _form("".join(_button(f"b{i}", i % 200, i // 200, 1, 1) for i in range(20000))))
    add("skin-size", "longid", _form(_button("x" * 1_000_000, 0, 0, 5, 5)))
    add("skin-size", "duplicate", _form(_button("b", 0, 0, 5, 5) * 2))
    add("skin-size", "toolarge", real + b"<!--" + b" " * (17 << 20) + b"-->")
    laughs = ('<!DOCTYPE svg [<!ENTITY a "aaaaaaaaaa">' + "".join(
        f'<!ENTITY {chr(98 + i)} "{("&" + chr(97 + i) + ";") * 10}">' for i in range(9)) + ']>')
    add("skin-entities", "laughs", _form('<text>&j;</text>' + _button("b", 0, 0, 5, 5)).replace(
        b"<svg", laughs.encode() + b"<svg", 1))
    add("skin-entities", "external", _form('<text>&e;</text>' + _button("b", 0, 0, 5, 5)).replace(
        b"<svg", b'<!DOCTYPE svg [<!ENTITY e SYSTEM "/dev/zero">]><svg', 1))
    add("skin-references", "use-self", _form('<use id="u" xlink:href="#u"/>' + _button("b", 0, 0, 5, 5)))
    add("skin-references", "use-cycle", _form('<defs><g id="p"><use xlink:href="#q"/></g><g id="q">'
                                              '<use xlink:href="#p"/></g></defs><use xlink:href="#p"/>'
                                              + _button("b", 0, 0, 5, 5)))
    add("skin-references", "gradient-cycle", _form(
        '<defs><linearGradient id="g1" xlink:href="#g2"/><linearGradient id="g2" xlink:href="#g1"/></defs>'
        + _button("b", 0, 0, 5, 5).replace('fill="red"', 'fill="url(#g1)"')))
    add("skin-references", "image-dev-zero", _form('<image xlink:href="/dev/zero" width="10" height="10"/>'
                                                   + _button("b", 0, 0, 5, 5)))
    add("skin-garbage", "empty", b"")
    add("skin-garbage", "random", rng.randbytes(30000))
    add("skin-garbage", "notsvg", b"<html><body>skin</body></html>")
    add("skin-garbage", "utf16", real.decode().encode("utf-16"))

    out += _special(folder, "dll")
    return out


def _special(folder, ext):
    out = []
    at = lambda name: os.path.join(folder, f"{name}.{ext}").encode()  # noqa: E731
    os.mkfifo(at("fifo"))
    os.mkdir(at("folder"))
    os.symlink("/dev/zero", at("zero"))
    os.symlink("nowhere", at("dangling"))
    os.symlink(f"loop.{ext}", at("loop"))
    for name in ["fifo", "folder", "zero", "dangling", "loop", "missing"]:
        out.append(Entry(f"{'skin' if ext == 'dll' else 'ini'}-special", at(name)))
    return out


INI = b"""; settings
[Settings]
Dir=/home/someone/Recordings
Rate=44100
Channels=2
[Main]
Left=100
Top=200
"""


def inis(rng, folder):
    out = []

    def add(kind, name, data):
        path = os.path.join(folder, f"{name}.ini").encode()
        write(path, data)
        out.append(Entry(kind, path))

    add("ini-real", "real", INI)
    _damaged(rng, INI, "ini", add)
    limit = 16 << 20
    add("ini-size", "newlines-at-limit", b"\n" * limit)
    add("ini-size", "newlines-past-limit", b"\n" * (limit + 1))
    add("ini-size", "one-long-line", b"[Settings]\nDir=" + b"x" * (limit - 20) + b"\n")
    add("ini-size", "sections", b"".join(b"[s%d]\nk=v\n" % i for i in range(300000)))
    add("ini-size", "keys", b"[Settings]\n" + b"".join(b"k%d=v\n" % i for i in range(300000)))
    add("ini-garbage", "random", rng.randbytes(65536))
    add("ini-garbage", "nul", b"[Settings]\0\nDir=\0\0\n" + bytes(1000))
    add("ini-garbage", "cr-only", INI.replace(b"\n", b"\r"))
    add("ini-garbage", "bom-only", b"\xef\xbb\xbf")
    add("ini-garbage", "latin1", INI.replace(b"someone", b"caf\xe9"))
    add("ini-garbage", "brackets", b"[" * 100000 + b"]" * 100000)
    add("ini-garbage", "quotes", b"[Settings]\nDir=\"" + b"'" * 5000 + b"\n")
    out += _special(folder, "ini")
    return out
