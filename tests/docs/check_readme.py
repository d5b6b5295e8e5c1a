#!/usr/bin/env python3
"""The README is the front page only, and none of it can rot: at most about
150 lines; its two commands exactly as a newcomer copies them; every other
code block a few lines of one file under examples/ (which the tests build
and run, or, for logk.out, which a run must reproduce), in that file's
order; and every path it names exists.

    check_readme.py <source directory>
"""
import os
import re
import sys

source = sys.argv[1]
MOST_LINES = 150
COMMANDS = [
    "cmake -S . -B build && cmake --build build -j2 --target logk && mkdir -p run && cp examples/quartz.dat "
    "examples/PT.dat run/ && (cd run && ../build/logk) && cat run/logk.out",
    "cmake -S . -B build && cmake --build build -j2 && ctest --test-dir build --output-on-failure -j2",
]


def code_blocks(text):
    """(language, lines) of each fenced block, and whether an indented one is there."""
    blocks = re.findall(r"^```(\w*)\n(.*?)^```$", text, re.M | re.S)
    outside = re.sub(r"^```.*?^```$", "", text, flags=re.M | re.S)
    indented = re.search(r"\n\n(    |\t)\S", outside) is not None
    return [(language, block.rstrip("\n").split("\n")) for language, block in blocks], indented


def example_files():
    for root, _, files in os.walk(os.path.join(source, "examples")):
        for name in files:
            path = os.path.join(root, name)
            with open(path, encoding="utf-8", errors="replace") as file:
                yield os.path.relpath(path, source), [line.strip() for line in file.read().splitlines()]


def is_excerpt(lines, of):
    """Whether every line (stripped) is a line of `of`, in its order."""
    at = 0
    for line in (line.strip() for line in lines if line.strip()):
        try:
            at = of.index(line, at) + 1
        except ValueError:
            return False
    return True


def problems(text):
    found = []
    lines = text.split("\n")
    if len(lines) > MOST_LINES:
        found.append(f"README.md has {len(lines)} lines; the front page holds at most {MOST_LINES}")
    blocks, indented = code_blocks(text)
    if indented:
        found.append("README.md has an indented code block: fence it, so that this check sees it")
    commands = [block for block in blocks if block[0] == "sh"]
    for command in COMMANDS:
        if (("sh", [command])) not in commands:
            found.append(f"README.md does not hold, as a block of its own, the command {command!r}")
    examples = list(example_files())
    for language, block in blocks:
        if language == "sh" and len(block) == 1 and block[0] in COMMANDS:
            continue
        if not any(is_excerpt(block, of) for _, of in examples):
            found.append(f"README.md's {language or 'plain'} block is no excerpt of a file under examples/: "
                         f"{block[0]!r}...")
    for path in set(re.findall(r"`((?:examples|docs|bench|tools|bindings|tests)/[\w./-]+)`", text)) | set(
            re.findall(r"\]\(((?:docs|examples)/[\w./-]+)\)", text)):
        if not os.path.exists(os.path.join(source, path)):
            found.append(f"README.md names {path}, which does not exist")
    return found


if __name__ == "__main__":
    with open(os.path.join(source, "README.md"), encoding="utf-8") as readme:
        listed = problems(readme.read())
    for line in listed:
        print(line)
    if listed:
        sys.exit(1)
    print("README.md: its two commands, and every other block an excerpt of a file under examples/")
