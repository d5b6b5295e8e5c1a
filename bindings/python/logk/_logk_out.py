"""Point lists read as the program reads PT.dat, and the bytes of the
logk.out the program writes."""
import numpy as np

from . import _logk
from ._arrays import _doubles, _points
from ._errors import _read

def read_points(path):
    """P and T, float64 arrays, from a point list read as the program reads
    PT.dat. `path` as open() takes it."""
    return _read(_logk.read_points, path, "points")


def _stencil_column(values, name, low, high, P):
    """A column of stencil indices as int32, refused unless every one is a
    whole number from low to high, as the program writes."""
    array = np.ravel(np.broadcast_to(np.asarray(values), P.shape))
    if array.dtype.kind in "iu":
        good = (array >= low) & (array <= high)
    elif array.dtype.kind == "f":
        good = np.isfinite(array) & (array >= low) & (array <= high) & (array == np.floor(array))
    else:
        raise ValueError(f"{name} must hold whole numbers from {low} to {high}, not {array.dtype} values")
    if not good.all():
        first = int(np.flatnonzero(~good)[0])
        raise ValueError(f"point {first}: {name} {array[first]!r} is no stencil index the program writes "
                         f"({low} to {high})")
    return array.astype(np.int32)


def _flag_column(values, name, P):
    """A column of flags as the code points of 'U1' strings, refused unless
    every one is N, W or E."""
    array = np.ravel(np.broadcast_to(np.asarray(values), P.shape))
    if array.dtype.kind == "S":
        array = np.char.decode(array, "latin-1")
    good = np.isin(array, ["N", "W", "E"]) if array.dtype.kind == "U" else np.zeros(array.shape, dtype=bool)
    if not good.all():
        first = int(np.flatnonzero(~good)[0])
        raise ValueError(f"point {first}: {name} {array[first]!r} is no flag the program writes (N, W or E)")
    return np.ascontiguousarray(array, dtype="U1").view(np.uint32)


def format_logk_out(P, T, result):
    """The bytes of the logk.out that the program writes for these points and
    results: its header and one line per point, each ending in CR LF.
    Indices and flags the program could never write are refused."""
    for name, values in (("P", P), ("T", T), ("lk", result.lk)):
        if isinstance(values, np.ma.MaskedArray):
            raise TypeError(f"{name} is masked: logk.out has a line for every point")
    P, T, _ = _points(P, T)
    lk, _ = _doubles(result.lk, "lk")
    if np.broadcast_shapes(lk.shape, P.shape) != P.shape:
        raise ValueError(f"lk has shape {lk.shape}; the points have {P.shape}: one log K per point")
    return _logk.format_logk_out(P.ravel(), T.ravel(), np.ravel(np.broadcast_to(lk, P.shape)),
                                 _stencil_column(result.pidx, "pidx", 1, 35, P),
                                 _stencil_column(result.tidx, "tidx", 3, 36, P),
                                 _flag_column(result.isoerr, "isoerr", P), _flag_column(result.pterr, "pterr", P))


def write_logk_out(path, P, T, result):
    """Writes format_logk_out(P, T, result) to the file at `path`."""
    text = format_logk_out(P, T, result)
    with open(path, "wb") as out:
        out.write(text)
