#!/usr/bin/python3
"""tests/tag_corpus/make_corpus.py FOLDER: writes MP3 files tagged by real taggers (mutagen,
eyeD3, id3v2, kid3-cli, each when installed) and by hand where no tagger writes such a tag
(version 2.2, cover art or chapters before the title, unsynchronisation), all into FOLDER.
Each file is a few MPEG frames of silence after (or before) its tags."""
import os
import shutil
import struct
import subprocess
import sys

from mutagen.id3 import APIC, ID3, TALB, TIT2, TPE1

SILENCE = (b"\xff\xfb\x90\x64" + bytes(413)) * 4  # MPEG-1 Layer III, 128 kbit/s

LATIN1 = ["Björk - Jóga", "Café Noir", "Motörhead", "Plain Song"]
JAPANESE = ["日本の歌", "さくら さくら", "ガイドブック", "ＡＢＣ ﾊﾝｶｸ"]
WIDE_ONLY = ["Beyoncé – Halo", "Love〜Song", "A−B", "Ελληνικά", "Emoji \U0001F3B5 Song"]


def silence(folder, name):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(SILENCE)
    return path


def run(args, **kw):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)


def by_mutagen(folder):
    n = 0
    for version in (3, 4):
        for encoding in range(4):
            titles = LATIN1 if encoding == 0 else LATIN1 + JAPANESE + WIDE_ONLY
            # Encoding 0 holding Shift-JIS bytes, as Japanese taggers write it.
            sjis = [t.encode("cp932").decode("latin-1") for t in JAPANESE] if encoding == 0 else []
            for title in titles + sjis:
                n += 1
                tags = ID3()
                tags.add(TPE1(encoding=encoding, text="Some Artist"))
                tags.add(TIT2(encoding=encoding, text=title))
                tags.add(TALB(encoding=encoding, text="Some Album"))
                tags.save(silence(folder, "mutagen_v2%d_e%d_%02d.mp3" % (version, encoding, n)),
                          v2_version=version)
    # With an ID3v1 tag too, and cover art (mutagen writes it after the title).
    tags = ID3()
    tags.add(TIT2(encoding=1, text="Both Tags"))
    tags.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=b"\xff\xd8" * 60000))
    tags.save(silence(folder, "mutagen_v1_and_v2.mp3"), v1=2)


def by_tools(folder):
    if shutil.which("eyeD3"):
        for i, (version, encoding, title) in enumerate(
                [("2.3", "latin1", "Café Noir"), ("2.3", "utf16", "日本の歌"),
                 ("2.4", "utf8", "ガイドブック"), ("2.4", "utf16", "Motörhead"),
                 ("2.4", "latin1", "Plain Song")]):
            path = silence(folder, "eyed3_%d.mp3" % i)
            run(["eyeD3", "--quiet", "--to-v" + version, "--encoding", encoding, "-t", title,
                 "-a", "Some Artist", path])
    if shutil.which("id3v2"):
        # id3lib writes the argument's bytes as they stand: Latin-1 or Shift-JIS.
        for i, title in enumerate(["Café Noir".encode("latin-1"), "日本の歌".encode("cp932"),
                                   b"Plain Song"]):
            run(["id3v2", "-2", "-t", title, "-a", "Some Artist", silence(folder, "id3v2_v23_%d.mp3" % i)])
            run(["id3v2", "-1", "-t", title, "-a", "Some Artist", silence(folder, "id3v2_v1_%d.mp3" % i)])
    if shutil.which("kid3-cli"):
        env = dict(os.environ, HOME=folder, XDG_CONFIG_HOME=os.path.join(folder, ".config"))
        for i, (version, encoding, title) in enumerate(
                [("ID3v2_3_0", "TE_ISO8859_1", "Café Noir"), ("ID3v2_3_0", "TE_UTF16", "日本の歌"),
                 ("ID3v2_4_0", "TE_UTF8", "さくら さくら"), ("ID3v2_4_0", "TE_UTF16", "Björk - Jóga")]):
            run(["kid3-cli", "-c", "config Tag.id3v2Version " + version,
                 "-c", "config Tag.textEncoding " + encoding, "-c", 'set title "%s" 2' % title,
                 "-c", 'set artist "Some Artist" 2', silence(folder, "kid3_%d.mp3" % i)], env=env)
        shutil.rmtree(os.path.join(folder, ".config"), ignore_errors=True)


# --- Tags by hand ---------------------------------------------------------------

def syncsafe(n):
    return bytes([(n >> s) & 0x7F for s in (21, 14, 7, 0)])


def unsync(data):
    out = bytearray()
    for i, b in enumerate(data):
        out.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] == 0 or data[i + 1] >= 0xE0):
            out.append(0)
    return bytes(out)


def text(encoding, s):
    codec = {0: "latin-1", 1: "utf-16", 2: "utf-16-be", 3: "utf-8"}[encoding]
    raw = s.encode(codec) if isinstance(s, str) else s
    return bytes([encoding]) + raw + (b"\0\0" if encoding in (1, 2) else b"\0")


def frame(version, fid, data, flags=0):
    if version == 2:
        return fid.encode() + struct.pack(">I", len(data))[1:] + data
    size = syncsafe(len(data)) if version == 4 else struct.pack(">I", len(data))
    return fid.encode() + size + struct.pack(">H", flags) + data


def tag(version, frames, flags=0, padding=64):
    body = b"".join(frames) + bytes(padding)
    if flags & 0x80 and version < 4:
        body = unsync(body)
    return b"ID3" + bytes([version, 0, flags]) + syncsafe(len(body)) + body


def chapter(version, eid, title):
    sub = frame(version, "TIT2", text(0, title))
    return frame(version, "CHAP", eid + b"\0" + struct.pack(">IIII", 0, 1000, 0xFFFFFFFF, 0xFFFFFFFF) + sub)


def by_hand(folder):
    cover = b"\xff\xd8\xff\xe0" + bytes(range(256)) * 800  # 200 KiB, FF bytes in it
    files = {
        "hand_v22_latin1": tag(2, [frame(2, "TAL", text(0, "Album")), frame(2, "TT2", text(0, "Café Noir"))]),
        "hand_v22_sjis": tag(2, [frame(2, "TT2", text(0, "日本の歌".encode("cp932")))]),
        "hand_v22_utf16": tag(2, [frame(2, "TT2", text(1, "さくら さくら"))]),
        "hand_v22_utf16_be": tag(2, [frame(2, "TT2", b"\x01\xfe\xff" + "Motörhead".encode("utf-16-be") + b"\0\0")]),
        "hand_v22_unterminated": tag(2, [frame(2, "TT2", b"\0Song A"), frame(2, "TP1", text(0, "Artist"))]),
        "hand_v23_cover_first": tag(3, [frame(3, "APIC", b"\0image/jpeg\0\x03\0" + cover),
                                        frame(3, "TIT2", text(1, "After the Cover"))]),
        "hand_v24_cover_first": tag(4, [frame(4, "APIC", b"\0image/jpeg\0\x03\0" + cover),
                                        frame(4, "TIT2", text(3, "ガイドブック"))]),
        "hand_v23_chapters": tag(3, [
            frame(3, "CTOC", b"toc\0\x03\x02ch1\0ch2\0" + frame(3, "TIT2", text(0, "Contents"))),
            chapter(3, b"ch1", "Chapter 1"), chapter(3, b"ch2", "Chapter 2"),
            frame(3, "TIT2", text(0, "Episode 5"))]),
        "hand_v24_chapters": tag(4, [chapter(4, b"ch1", "Chapter 1"), frame(4, "TIT2", text(3, "Episode 6"))]),
        "hand_v23_unsync": tag(3, [frame(3, "APIC", b"\0image/jpeg\0\x03\0" + cover[:3000]),
                                   frame(3, "TIT2", text(1, "ÿÿ Unsynchronised"))], flags=0x80),
        "hand_v24_unsync_frame": tag(4, [frame(4, "TIT2", unsync(text(1, "ÿ Per Frame")), flags=0x0002)]),
        "hand_v24_unsync_tag": tag(4, [frame(4, "TIT2", unsync(text(1, "ÿ Whole Tag")))], flags=0x80),
        "hand_v23_ext_header": tag(3, [b"\0\0\0\x06\0\0\0\0\0\0" + frame(3, "TIT2", text(0, "Extended"))],
                                   flags=0x40),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name + ".mp3"), "wb") as f:
            f.write(data + SILENCE)


def main_in(folder):
    os.makedirs(folder, exist_ok=True)
    by_mutagen(folder)
    by_tools(folder)
    by_hand(folder)


if __name__ == "__main__":
    main_in(sys.argv[1])
