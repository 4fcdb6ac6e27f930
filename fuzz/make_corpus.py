#!/usr/bin/env python3
"""fuzz/make_corpus.py FOLDER: writes the seed corpora of the fuzz harnesses
into FOLDER/<name>/: small well-formed inputs (and a few broken ones) that
the readers take apart fully, written afresh by scripts/fuzz before a run."""
import os
import shutil
import struct
import sys


def utf16(text, bom=True):
    return (b"\xff\xfe" if bom else b"") + text.replace("\n", "\r\n").encode("utf-16-le")


def sjis(text):
    return text.encode("cp932")


def fontx(width, height, blocks=None, glyph=lambda code, row: 0x81 if row % 2 else 0x3C,
          cut=None, magic=b"FONTX2"):
    out = bytearray(magic + b"FUZZFONT" + bytes([width, height, 1 if blocks is not None else 0]))
    per_row = (width + 7) // 8
    codes = range(256)
    if blocks is not None:
        out.append(len(blocks))
        for first, last in blocks:
            out += struct.pack("<HH", first, last)
        codes = [c for first, last in blocks for c in range(first, last + 1)]
    for code in codes:
        for row in range(height):
            out += (glyph(code, row) & ((1 << (8 * per_row)) - 1)).to_bytes(per_row, "big")
    return bytes(out[:cut])


# A small MP3 after an ID3v2 tag (none without major) of (id, data, size or None) frames.
def mp3(major=None, frames=()):
    body = bytearray()
    for fid, data, size in frames:
        size = len(data) if size is None else size
        body += fid.encode() + size.to_bytes(3 if major == 2 else 4, "big")
        body += (b"" if major == 2 else b"\0\0") + data
    body += bytes(16)
    syncsafe = bytes([(len(body) >> shift) & 0x7F for shift in (21, 14, 7, 0)])
    tag = b"ID3" + bytes([major, 0, 0]) + syncsafe + bytes(body) if major else b""
    return tag + b"\xff\xfb\x90\x64" + bytes(64)


# Listings: byte 0 picks the model (0 = 4, 2 = 8, 3 = 10, ...). restore_log: cardprep-restore's
# reading of RENFIL04.LOG (a history of runs, a last line cut short, a unit 0, names that are no
# bare names, a line too long).
SEEDS = {
    "fontx": {
        "single_8x16": fontx(8, 16),
        "double_16x16": fontx(16, 16, [(0x8140, 0x8143), (0x8260, 0x8262)],
                              glyph=lambda c, r: 0x8001 if r == 0 else c),
        "double_no_blocks": fontx(16, 16, []),
        "double_cut": fontx(16, 16, [(0x8140, 0x81FC)], cut=300),
        "not_fontx": fontx(8, 8, magic=b"FONTX1", cut=64),
    },
    "tag": {
        "v23_latin1": mp3(3, [("TALB", b"\0Album\0", None), ("TIT2", b"\0Hello", None)]),
        "v23_utf16": mp3(3, [("TIT2", b"\x01\xff\xfe" + "日本の歌".encode("utf-16-le"), None)]),
        "v23_size300": mp3(3, [("TIT2", b"\0" + b"L" * 299, 300)]),
        "v23_chapter": mp3(3, [("CHAP", b"ch1\0" + bytes(16) + b"TIT2\0\0\0\x03\0\0\0C1", None),
                               ("TIT2", b"\0Episode", None)]),
        "v23_unsync": b"ID3\x03\x00\x80\x00\x00\x00\x1c" + b"TIT2\0\0\0\x0b\0\0\x01\xff\x00\xfe"
                      + b"\xff\x00\x00A\0\0\0" + bytes(4) + b"\xff\xfb\x90\x64" + bytes(64),
        "v22_latin1": mp3(2, [("TAL", b"\0Album\0", None), ("TT2", b"\0Song A\0", None)]),
        "v22_utf16_be": mp3(2, [("TT2", b"\x01\xfe\xff" + "Song".encode("utf-16-be") + b"\0\0", None)]),
        "v24_utf8": mp3(4, [("TIT2", b"\x03" + "日本の歌".encode(), None)]),
        # Frame flags 00 03: unsynchronised, with a data length.
        "v24_unsync_dli": (lambda f: f[:19] + b"\x03" + f[20:])(
            mp3(4, [("TIT2", b"\0\0\0\x07\x01\xff\x00\xfeA\0", None)])),
        "v1_only": mp3() + b"TAG" + "日本の歌".encode("cp932") + bytes(117),
        "no_tag": mp3(),
    },
    "display_name": {
        "plain": b"My Song.mp3\tBest Song\r\nOther.mp3\t\t Title\r\nno tab here\r\n",
        "sjis": sjis("日本の歌.mp3\t日本の歌（ライブ）\nａｂｃ.mp3\tｱｲｳ half kana\n"),
        "long_line": b"a" * 140 + b"\t" + b"T" * 300 + b"\n",
        "bad_sjis": b"x.mp3\t\x81\x00\x82\xff\xfc\xfc\x85\n\x82\tlead byte first\n",
        "utf8_mark": b"\xef\xbb\xbf" + "Caf\u00e9.mp3\tCaf\u00e9 \u301c\n".encode(),
        "utf8_nfd": "\u30ab\u3099\u30a4\u30c9.mp3\t\u30ac\u30a4\u30c9\r\n".encode(),
        "utf8_cut": "\u30ac.mp3\t\u30ac".encode()[:-1],
        "utf16le": b"\xff\xfe" + "A.mp3\t\u00c4\u0308\r\n".encode("utf-16-le") + b"\x41",
        "utf16be": b"\xfe\xff" + "B.mp3\t\U0001F3B5\n".encode("utf-16-be"),
    },
    "file_rename_log": {
        "utf16": utf16("001.MP3\tMy Song.mp3\n002.MP3\t日本の歌.mp3\n001.MP3\tlater run.mp3\n"),
        "utf16_no_bom": utf16("001.MP3\tA.mp3\n", bom=False),
        "utf8": b"\xef\xbb\xbf" + "003.MP3\tcafé.mp3\n004.MP3\t\U0001F3B5.mp3\n".encode(),
        "odd_bytes": utf16("001.MP3\tX.mp3\n") + b"\x41",
        "lone_surrogates": b"\xff\xfe" + "001.MP3\t".encode("utf-16-le") + b"\x00\xd8\x41\x00"
                           + b"\x00\xdc\r\x00\n\x00",
        "long_name": utf16("005.MP3\t" + "名" * 80 + ".mp3\n" + "0123456789ABCDEF\tlong short name\n"),
    },
    "folder_rename_log": {
        "utf16": utf16("日本の歌\n"),
        "long": utf16("あ" * 20 + "\n"),
        "utf8": b"\xef\xbb\xbf" + "Caf\u00e9 \uD55C\uAD6D\n".encode(),
        "bad": b"\xff\xfe\x00\xd8\x00\xdc\x00\xdc\x41",
    },
    "restore_log": {
        "history": utf16("001.MP3\tA.mp3\n002.MP3\t001.MP3\n001.MP3\tB.mp3\n"),
        "cut_short": utf16("001.MP3\tA.mp3\n002.MP3\tB.m"),
        "unit_zero": b"\xff\xfe" + "001.MP3\t".encode("utf-16-le") + b"\x00\x00x\x00\n\x00",
        "not_bare": utf16("..\t..\n001.MP3\ta\\b.mp3\n\tx\n\n"),
        "long_line": utf16("001.MP3\t" + "L" * 400 + "\n"),
    },
    "directory_listing": {
        "card_model10": b"\x03\\M\r\n\\EMPTY\r\n\\_FONT\r\n\\M\\SUB\r\n",
        "card_model8_rule1": b"\x07E:\\M\r\nE:\\EMPTY\r\nE:\\M\\SUB\r\n",
        "left_out": b"\x04\\_X\r\n\\System Volume Information\r\n\\_X\\Y\r\n\\SYS\r\n"
                    + b"\\" + b"A" * 47 + b"\r\n\\" + b"B" * 46 + b"\r\n",
        "japanese": b"\x02\\" + sjis("日本の歌") + b"\r\n\\" + sjis("ソ") + b"\\X\r\n\\M\n",
    },
    "file_listing": {
        "tracks_model8": b"\x02001.MP3\r\n002.MP3\r\n003.mp3\r\n" + sjis("表示名04.txt") + b"\r\n",
        "tracks_model12_rule1": b"\x09001.MP3\n002.MP3\nNOTHERE.MP3\nVOLUME12.DAT\n",
        "odd_names": b"\x03ABCDEFGHI.MP3\r\nA.B.MP3\r\n.MP3\r\nnodot\r\n" + sjis("歌.MP3")
                     + b"\r\n" + b"X" * 200 + b".MP3\r\n",
    },
}

if __name__ == "__main__":
    for name, seeds in SEEDS.items():
        folder = os.path.join(sys.argv[1], name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for seed, data in seeds.items():
            with open(os.path.join(folder, seed), "wb") as f:
                f.write(data)
