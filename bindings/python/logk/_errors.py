"""The failures of reading a file, as Python exceptions that subclass the
built-in ones a caller already catches, and paths as open() takes them."""
import os
import warnings

from . import _logk

# What each message number means, in plain words.
_MEANINGS = {
    9: "permission to read the file is denied",
    22: f"a line is too long (at most {_logk.LONGEST_LINE >> 20} MiB)",
    24: "the file ends too early",
    29: "no such file",
    30: "the file cannot be opened",
    39: "the file could not be read",
    42: "no such device",
    43: "the path cannot be used (too long, or too many links)",
    59: "a character that is no part of a number",
    64: "a value that cannot be converted (out of range, malformed after its exponent, or quoted text)",
}
_WITH_REASON = {30, 39, 42, 43}  # where the system's reason says more
_ENDS_EARLY = {
    "table": "the file ends before its 37 x 36 values (or inside a quote or parenthesis)",
    "points": "the file ends inside a quote or parenthesis",
}


class Error(Exception):
    """A file logk could not read. `number` is the program's message number
    (29 file not found, 59 a stray character, 24 the file ends inside the
    table, ...), `text` what the program prints for it, `line` and `column`
    where the reader stopped (0 where it stopped outside a line), and `path`
    the path as it was given. str() says it all in one line."""

    def __init__(self, number, text, line=0, column=0, path=None, kind="table"):
        super().__init__(text)
        self.number = number
        self.text = text
        self.line = line
        self.column = column
        self.path = path
        self.kind = kind

    def __str__(self):
        where = os.fsdecode(self.path) if self.path is not None else "the file"
        if self.line:
            where += f", line {self.line}"
            if self.column:
                where += f", column {self.column}"
        meaning = _ENDS_EARLY[self.kind] if self.number == 24 else _MEANINGS.get(self.number)
        if meaning is None:
            return f"{where}: {self.text}"
        lines = self.text.split("\n")
        if self.number in _WITH_REASON and len(lines) > 1 and lines[0].startswith("runlib: "):
            meaning += f" ({lines[0][len('runlib: '):]})"  # the system's own reason
        return f"{where}: {meaning} (message {self.number})"

    def __reduce__(self):
        return type(self), (self.number, self.text, self.line, self.column, self.path, self.kind)


class FileError(Error, OSError):
    """The file could not be opened or read."""


class FileNotFound(FileError, FileNotFoundError):
    """Message 29: the file does not exist."""


class PermissionDenied(FileError, PermissionError):
    """Message 9: the file may not be read."""


class NotationError(Error, ValueError):
    """The file's text is no table or point list: a character that is no
    part of a number (59), a value that cannot be converted (64), a file
    that ends early (24), a line too long (22)."""


class IgnoredValuesWarning(UserWarning):
    """A line of a table file holds values past the 36th of its pressure's
    row. They are ignored, as the program ignores them (the next row starts
    on the next line), so the table loads; but a file written with each
    pressure first on its line (37 values a line) is not the table meant."""


def _warn_ignored(path, line, values):
    """Warns of the first line of `path` that holds values past a row's 36th."""
    warnings.warn(IgnoredValuesWarning(
        f"{os.fsdecode(path)}, line {line}: the line holds {values} values; those past the 36th of a row are "
        f"ignored, as the program ignores them (does each line start with its pressure?)"), stacklevel=3)


_ERRORS = {29: FileNotFound, 9: PermissionDenied, 22: NotationError, 24: NotationError, 59: NotationError,
           64: NotationError}


def _raise(failure, path, kind):
    number, text, line, column = failure
    raise _ERRORS.get(number, FileError)(number, os.fsdecode(text), line, column, path, kind)


def _path(path):
    """A path as open() takes it: str, bytes or os.PathLike, as bytes for the system."""
    if not isinstance(path, (str, bytes, os.PathLike)):
        raise TypeError(f"a path is a str, bytes or os.PathLike object, not {type(path).__name__}")
    name = os.fsencode(os.fspath(path))
    if b"\0" in name:
        raise ValueError("a path may not hold a NUL character")
    return name


def _failed(read):
    return isinstance(read, tuple) and len(read) == 5 and isinstance(read[0], int)


def _read(function, path, kind):
    read = function(_path(path))
    if _failed(read):
        _raise(read[:4], os.fspath(path), kind)
    return read
