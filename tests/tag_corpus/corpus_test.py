#!/usr/bin/python3
"""tests/tag_corpus/corpus_test.py PRINT_TAG_TITLES: makes the tag corpus (make_corpus.py) in a
temporary folder and compares, for each file, the title cardprep reads with the one mutagen reads,
converted to code page 932 as cardprep converts (single-byte text that is code page 932 taken as
it stands). Where the text holds characters code page 932 lacks, cardprep may map them by best fit
or to '?': such a character matches any one character. At least 98% of the files must match."""
import os
import subprocess
import sys
import tempfile

from mutagen.id3 import ID3, ID3NoHeaderError

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_corpus  # noqa: E402


def is_cp932(raw):
    try:
        text = raw.decode("cp932")
    except UnicodeDecodeError:
        return False
    return not any(0xE000 <= ord(c) <= 0xF8FF or c in "\x80\uf8f0\uf8f1\uf8f2\uf8f3" for c in text)


# The expected title: a list of code page 932 characters (bytes), None for one that has no code.
def expected(path):
    try:
        frame = ID3(path).get("TIT2")
    except ID3NoHeaderError:
        return []
    if frame is None or not frame.text:
        return []
    text = frame.text[0]
    if frame.encoding == 0 and is_cp932(text.encode("latin-1")):
        text = text.encode("latin-1").decode("cp932")
    chars = []
    for c in text:
        # A character of its own in code page 932 (Python maps a few others to the code of a
        # look-alike, as best fit does): its bytes; else None.
        raw = c.encode("cp932", errors="replace")
        chars.append(raw if raw.decode("cp932") == c else None)
    return chars


def matches(chars, got):
    i = 0
    for c in chars:
        step = 2 if i < len(got) and (0x81 <= got[i] <= 0x9F or 0xE0 <= got[i] <= 0xFC) else 1
        if c is not None and got[i:i + len(c)] != c:
            return False
        i += len(c) if c is not None else step
    return i == len(got)


def main():
    tool = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        make_corpus.main_in(folder)
        names = sorted(n for n in os.listdir(folder) if n.endswith(".mp3"))
        out = subprocess.run([tool] + names, cwd=folder, check=True, capture_output=True).stdout
        got = dict(line.split(b"\t") for line in out.splitlines())
        plain = matched = 0
        for name in names:
            chars = expected(os.path.join(folder, name))
            title = bytes.fromhex(got[name.encode()].decode())
            ok = matches(chars, title)
            plain += None not in chars
            matched += ok
            if not ok:
                print("MISMATCH %s: cardprep %r, mutagen %r" % (name, title, chars))
    print("%d files: %d match mutagen's title (%.1f%%); %d of them are plain code page 932 text, "
          "%d hold characters it lacks" % (len(names), matched, 100.0 * matched / len(names), plain,
                                            len(names) - plain))
    return 0 if matched * 100 >= 98 * len(names) else 1


if __name__ == "__main__":
    sys.exit(main())
