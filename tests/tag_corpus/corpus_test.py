#!/usr/bin/python3
"""tests/tag_corpus/corpus_test.py PRINT_TAG_TITLES: makes the tag corpus (make_corpus.py) in a
temporary folder and compares, for each file, the title cardprep reads with the one mutagen reads,
converted to code page 932 as cardprep converts: single-byte text that is code page 932 taken as
it stands; other text composed (NFC), then each character by Windows' best fit (the table the
program carries, src/base/best_fit_table.inc), else its own code, else '?'; at most 256 bytes,
never half a character. At least 98% of the files must match exactly."""
import os
import re
import subprocess
import sys
import tempfile
import unicodedata

from mutagen.id3 import ID3, ID3NoHeaderError

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_corpus  # noqa: E402


def is_cp932(raw):
    try:
        text = raw.decode("cp932")
    except UnicodeDecodeError:
        return False
    return not any(0xE000 <= ord(c) <= 0xF8FF or c in "\x80\uf8f0\uf8f1\uf8f2\uf8f3" for c in text)


def best_fit():
    table = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "base",
                         "best_fit_table.inc")
    pairs = re.findall(r"\{0x([0-9A-F]+), 0x([0-9A-F]+)\}", open(table).read())
    return {chr(int(c, 16)): (bytes([int(b, 16)]) if int(b, 16) < 0x100 else
                              int(b, 16).to_bytes(2, "big")) for c, b in pairs}


BEST_FIT = best_fit()


def display_bytes(c):
    if c in BEST_FIT:
        return BEST_FIT[c]
    try:
        raw = c.encode("cp932")
    except UnicodeEncodeError:
        return b"?"
    # Python maps a few characters to the code of a look-alike; only a round trip is their own.
    return raw if raw.decode("cp932") == c else b"?"


# The expected title's bytes.
def expected(path):
    try:
        frame = ID3(path).get("TIT2")
    except ID3NoHeaderError:
        return b""
    if frame is None or not frame.text:
        return b""
    text = frame.text[0]
    if frame.encoding == 0 and is_cp932(text.encode("latin-1")):
        raw = text.encode("latin-1")
    else:
        raw = b"".join(display_bytes(c) for c in unicodedata.normalize("NFC", text))
    out = b""
    for c in raw.decode("cp932", errors="surrogateescape"):
        piece = c.encode("cp932", errors="surrogateescape")
        if len(out) + len(piece) > 256:
            break
        out += piece
    return out


def main():
    tool = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        make_corpus.main_in(folder)
        names = sorted(n for n in os.listdir(folder) if n.endswith(".mp3"))
        out = subprocess.run([tool] + names, cwd=folder, check=True, capture_output=True).stdout
        got = dict(line.split(b"\t") for line in out.splitlines())
        matched = 0
        for name in names:
            want = expected(os.path.join(folder, name))
            title = bytes.fromhex(got[name.encode()].decode())
            matched += title == want
            if title != want:
                print("MISMATCH %s: cardprep %r, mutagen %r" % (name, title, want))
    print("%d files: %d show mutagen's title exactly (%.1f%%)" %
          (len(names), matched, 100.0 * matched / len(names)))
    return 0 if matched * 100 >= 98 * len(names) else 1


if __name__ == "__main__":
    sys.exit(main())
