#!/usr/bin/env python3
"""Doxygen's INPUT_FILTER for logk's public headers, which are written with
plain comments: the comment block right above a declaration (no blank line
between) becomes that declaration's documentation, and so does a comment at
the end of a member's line. A block above several declarations in a row
documents each of them. The first comment of a file becomes the file's own.

Doxygen reads the comments' text as written: its commands and HTML are
escaped, and the lines indented below a comment's prose (its worked
examples) become code blocks.

    doxygen_filter.py <header>      the filtered header on standard output
"""
import re
import sys

_ESCAPED = re.compile(r"([\\@&<>#%$])")
_QUOTED = re.compile(r"`([^`]+)`")
_TRAILING = re.compile(r"^(?P<code>[^/]*?;)(?P<gap>\s*)//\s?(?P<text>.*)$")
_ACCESS = re.compile(r"^\s*(public|private|protected)\s*:")


def _comment_block(lines, start):
    """The comment starting at lines[start], if one does: (end, text lines).
    A block of // lines, or a /* ... */ block that starts its line."""
    line = lines[start].strip()
    if line.startswith("//"):
        end = start
        text = []
        while end < len(lines) and lines[end].strip().startswith("//"):
            text.append(re.sub(r"^//[/!]?\s?", "", lines[end].strip()))
            end += 1
        return end, text
    if line.startswith("/*"):
        end = start
        while "*/" not in lines[end]:
            end += 1
        text = []
        for k in range(start, end + 1):
            piece = lines[k].strip()
            if k == start:
                piece = re.sub(r"^/\*+!?\s?", "", piece)
            elif piece.startswith("*") and not piece.startswith("*/"):
                piece = re.sub(r"^\*\s?", "", piece)
            piece = re.sub(r"\s*\*+/$", "", piece)
            text.append(piece)
        if text and not text[-1].strip():
            text.pop()
        return end + 1, text
    return None


def _doxygen_text(text):
    """The comment's lines as Doxygen reads them: specials escaped, the lines
    indented below the prose in code blocks."""
    out = []
    in_code = False
    for line in text:
        example = line.startswith("  ") and line.strip()
        if example and not in_code:
            out.append("\\code")
            in_code = True
        elif not example and in_code and line.strip() != "":
            blanks = 0
            while not out[-1].strip():
                out.pop()
                blanks += 1
            out += ["\\endcode"] + [""] * blanks
            in_code = False
        out.append(line if in_code else _prose(line))
    if in_code:
        while out and not out[-1].strip():
            out.pop()
        out.append("\\endcode")
    return out


def _prose(line):
    """A line of prose: Doxygen's specials escaped, `name` in code type."""
    return _QUOTED.sub(r"<tt>\1</tt>", _ESCAPED.sub(r"\\\1", line))


def _documentation(text, indent, file_comment=False):
    body = _doxygen_text(text)
    if file_comment:
        body = ["@file"] + body
    # /// lines, not /** */: a worked example may hold a C comment of its own.
    return [indent + "/// " + line if line else indent + "///" for line in body]


def _declaration_end(lines, start):
    """The line after the declaration that starts at lines[start], and whether
    it opens a body (a class, a struct, an initializer) rather than ends."""
    k = start
    while k < len(lines):
        code = lines[k].split("//")[0].rstrip()
        if code.endswith(";") or (code.endswith("}") and code.count("{") == code.count("}")):
            return k + 1, False
        if code.endswith("{"):
            return k + 1, True
        k += 1
    return k, True


def _is_declaration(line):
    stripped = line.strip()
    return bool(stripped) and not stripped.startswith(("#", "//", "/*", "}")) and not _ACCESS.match(line)


def _member_line(line):
    """A line of code, its comment at the end made the documentation of the
    member it declares."""
    match = _TRAILING.match(line)
    if match and _is_declaration(match.group("code")):
        text = _prose(match.group("text"))
        return f"{match.group('code')}{match.group('gap')}///< {text}"
    return line


def filter_header(source):
    """The header's text as Doxygen should read it."""
    lines = source.split("\n")
    out = []
    k = 0
    first_comment = True
    while k < len(lines):
        block = _comment_block(lines, k)
        if block is None:
            out.append(_member_line(lines[k]))
            k += 1
            continue
        end, text = block
        indent = re.match(r"\s*", lines[k]).group(0)
        if first_comment:
            first_comment = False
            out.extend(_documentation(text, indent, file_comment=True))
            k = end
            continue
        if end < len(lines) and _is_declaration(lines[end]):
            documentation = _documentation(text, indent)
            k = end
            while k < len(lines) and _is_declaration(lines[k]):
                after, opens = _declaration_end(lines, k)
                out.extend(documentation)
                out.extend(_member_line(line) for line in lines[k:after])
                k = after
                if opens:
                    break
            continue
        out.extend(lines[k:end])  # a comment on what follows as a whole, left as it is
        k = end
    return "\n".join(out)


if __name__ == "__main__":
    with open(sys.argv[1], encoding="utf-8") as header:
        sys.stdout.write(filter_header(header.read()))
