#!/usr/bin/env python3
"""Every console text constant in src/*/messages.h against its readable form.

The constants are code page 932 byte strings written as escapes; the comment
line right above each holds its readable text, with C escapes: in quotes
(a note may follow them) or the whole comment; a text of many lines stands
above it as a block of comment lines indented by three spaces, and a quoted
text too long for a line goes on in the comment lines below its first. The readable text is the
source: encoded to code page 932 it must give exactly the constant's bytes.
A constant written without escapes is plain ASCII and reads as it is.

    tests/messages_test.py [SRC_DIR]
"""
import pathlib
import re
import sys

CONSTANT = re.compile(r'^constexpr char (k\w+)\[\] =\s*(.*?);\s*$', re.S)
LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
SIMPLE = {'n': 0x0A, 't': 0x09, 'r': 0x0D, '"': 0x22, '\\': 0x5C, "'": 0x27, '0': 0x00}


def literal_bytes(body):
    """The bytes of adjacent C string literals (\\x escapes run to the literal's end)."""
    out = bytearray()
    for text in LITERAL.findall(body):
        i = 0
        while i < len(text):
            c = text[i]
            if c != '\\':
                out += c.encode('ascii')
                i += 1
                continue
            e = text[i + 1]
            if e == 'x':
                j = i + 2
                while j < len(text) and text[j] in '0123456789abcdefABCDEF':
                    j += 1
                out.append(int(text[i + 2:j], 16) & 0xFF)
                i = j
            else:
                out.append(SIMPLE[e])
                i += 2
    return bytes(out)


def readable_bytes(comment):
    """The comment's text with its C escapes, in code page 932: the quoted
    part when it begins with a quote (a note in English may follow)."""
    text = comment.strip()
    quoted = re.match(r'"((?:[^"\\]|\\.)*)"', text)
    if quoted:
        text = quoted.group(1)
    out = ''
    i = 0
    while i < len(text):
        if text[i] == '\\' and i + 1 < len(text) and text[i + 1] in SIMPLE:
            out += chr(SIMPLE[text[i + 1]])
            i += 2
        else:
            out += text[i]
            i += 1
    return out.encode('cp932')


def check(path):
    faults = []
    lines = path.read_text(encoding='utf-8').splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        if not line.startswith('constexpr char k'):
            i += 1
            continue
        start = i
        statement = line
        while not statement.rstrip().endswith(';'):
            i += 1
            statement += '\n' + lines[i]
        i += 1
        m = CONSTANT.match(statement)
        name = m.group(1) if m else statement.split('[')[0]
        if m and '\\x' not in m.group(2):
            continue  # plain ASCII: the literal reads as it is
        above = lines[start - 1] if start > 0 else ''
        if not m or not above.startswith('//'):
            faults.append(f'{path}:{start + 1}: {name}: no readable text in the line above')
            continue
        # A text of many lines stands above as a block indented by three
        # spaces, each line of it a line of the text.
        block = []
        k = start - 1
        while k >= 0 and (lines[k] == '//' or lines[k].startswith('//   ')):
            block.insert(0, lines[k][5:])
            k -= 1
        # A quoted text too long for one line goes on in the lines below its
        # first, broken at blanks.
        comments = []
        k = start - 1
        while k >= 0 and lines[k].startswith('//'):
            comments.insert(0, lines[k][3:])
            k -= 1
        first = max((i for i, line in enumerate(comments) if line.startswith('"')), default=-1)
        try:
            if block:
                want = ''.join(line + '\n' for line in block).encode('cp932')
            elif first >= 0:
                want = readable_bytes(' '.join(comments[first:]))
            else:
                want = readable_bytes(above[2:])
        except UnicodeEncodeError as error:
            faults.append(f'{path}:{start}: {name}: not code page 932 text ({error})')
            continue
        got = literal_bytes(m.group(2))
        if got != want:
            shown = got.decode('cp932', errors='backslashreplace')
            faults.append(f'{path}:{start + 1}: {name}: the bytes read "{shown}"')
    return faults


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / 'src')
    files = sorted(src.glob('*/messages.h'))
    faults = [fault for path in files for fault in check(path)]
    count = sum(p.read_text(encoding='utf-8').count('constexpr char k') for p in files)
    for fault in faults:
        print(fault)
    print(f'{count} texts in {len(files)} files, {len(faults)} differ from their readable form')
    return 1 if faults or count == 0 else 0


if __name__ == '__main__':
    sys.exit(main())
