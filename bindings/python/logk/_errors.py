"""The failures of reading a file, as Python exceptions that subclass the
built-in ones a caller already catches, what a read passed over as
warnings, and paths as open() takes them. What each failure means, and in
which words, is the library's."""
import os
import warnings

from . import _logk


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
        path = None if self.path is None else os.fsencode(self.path)
        unit = _logk.UNIT_POINTS if self.kind == "points" else _logk.UNIT_TABLE
        return os.fsdecode(_logk.failure_line(self.number, os.fsencode(self.text), self.line, self.column, path, unit))

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
    """A table file loads, as the program loads it, but holds what its
    reading passes over, so that it may not be the table meant: values past
    the 36th of a pressure's row on a line (the next row starts on the next
    line: a file written with each pressure first on its line, 37 values a
    line), a null value (",," or "/", which leaves its cell at 0.0), or
    values after the table's 37 rows (a header line of 36 temperatures on
    top is read as the first pressure's row, and the last row is left)."""


def _warn_notes(noted):
    """Warns, for the caller of the caller, of the first line of each kind
    that reads passed over, in the library's words: `noted` holds (path as
    given, notes) for each file, in order."""
    for which in _logk.NOTES:
        for path, notes in noted:
            said = _logk.note_line(tuple(notes), which, os.fsencode(path))
            if said:
                warnings.warn(IgnoredValuesWarning(os.fsdecode(said)), stacklevel=3)
                break


_CLASSES = {_logk.NOT_FOUND: FileNotFound, _logk.PERMISSION: PermissionDenied, _logk.NOTATION: NotationError}


def _raise(failure, path, kind):
    """Raises the exception of the library's kind for a failure (number,
    text, line, column) of reading `path` (as given) as a table or points."""
    number, text, line, column = failure
    raise _CLASSES.get(_logk.message_kind(number), FileError)(number, os.fsdecode(text), line, column, path, kind)


def _path(path):
    """A path as open() takes it: str, bytes or os.PathLike, as bytes for the system."""
    if not isinstance(path, (str, bytes, os.PathLike)):
        raise TypeError(f"a path is a str, bytes or os.PathLike object, not {type(path).__name__}")
    name = os.fsencode(os.fspath(path))
    if b"\0" in name:
        raise ValueError("a path may not hold a NUL character")
    return name


def _read(function, path, kind):
    """The two values `function` reads from the file at `path`, or its
    failure raised."""
    first, second, failure = function(_path(path))
    if failure is not None:
        _raise(failure, os.fspath(path), kind)
    return first, second
