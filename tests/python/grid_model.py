"""logk's rules for a table on the user's own grid, written again one point
at a time in plain Python over NumPy doubles: slow, literal, and apart from
the library's code, so that the tests can hold the library's bits to it.

A grid table: pressure nodes p(1) < ... < p(m) in bar, temperature nodes
t(1) < ... < t(n) in degrees Celsius, all finite; n >= 3, and m >= 3 or
m = 1 (a table along one line, log K along the saturation curve, where the
pressure takes no part). Its values are m x n, a row per pressure node
(flat in that order, or nested); a NaN value is missing, an infinite one is
a value.

    grid_check(pressures, temperatures, values)          -> None or why it is refused
    grid_findpt(P, T, pressures, temperatures, values)   -> PIDX, TIDX, ISOERR, PTERR
    grid_intrpk(P, T, PIDX, TIDX, ISOERR, pressures, temperatures, values)  -> LK
    grid_slopes(P, T, PIDX, TIDX, ISOERR, pressures, temperatures, values)  -> dLK_dT, dLK_dP

Indices are 1-based, as the fixed grid's. Every operation is one IEEE
double operation, in the order written: the order is part of the result.
The interpolation takes ISOERR as the faces do; a stencil that holds a NaN
(which findpt leaves only with ISOERR 'E', where none above is complete)
gives the one NaN.
"""
import struct

import numpy as np

ONE_NAN = struct.unpack("<d", struct.pack("<Q", 0x7FF8000000000000))[0]
SEVERITY = "NWE"


def one_nan(x):
    """x as a Python float, the one quiet NaN where x is a NaN."""
    return ONE_NAN if x != x else float(x)


def _doubles(values):
    return [np.float64(v) for v in values]


def _table(pressures, temperatures, values):
    """The nodes and the values as NumPy doubles, values[i - 1][j - 1] at p(i), t(j)."""
    p, t = _doubles(pressures), _doubles(temperatures)
    flat = _doubles(np.asarray(values, dtype=np.float64).ravel())
    return p, t, [flat[i * len(t):(i + 1) * len(t)] for i in range(len(p))]


def _node_fault(name, nodes):
    for k, x in enumerate(nodes, start=1):
        if not np.isfinite(x):
            return f"{name} node {k} is {x}: nodes must be finite"
        if k > 1 and not x > nodes[k - 2]:
            return f"{name} node {k} ({x}) does not lie above node {k - 1} ({nodes[k - 2]}): nodes must ascend"
    return None


def grid_check(pressures, temperatures, values):
    """None for a table the rules take, else the reason it is refused:
    m = 2 or m = 0 pressure nodes, n < 3 temperature nodes, a node NaN or
    infinite, nodes that do not ascend strictly, values that are not m x n
    (a flat count other than m * n, or a nested shape other than (m, n))."""
    p = np.asarray(pressures, dtype=np.float64).ravel()
    t = np.asarray(temperatures, dtype=np.float64).ravel()
    v = np.asarray(values, dtype=np.float64)
    m, n = p.size, t.size
    if m == 0 or m == 2:
        return f"{m} pressure nodes: a grid table takes 3 or more, or 1 for a table along one line"
    if n < 3:
        return f"{n} temperature nodes: a grid table takes 3 or more"
    fault = _node_fault("pressure", list(p)) or _node_fault("temperature", list(t))
    if fault:
        return fault
    if v.shape not in ((m * n,), (m, n)):
        return f"values of shape {v.shape} for {m} x {n} nodes: a grid table takes {m * n}, a row per pressure node"
    return None


def nearest(x, nodes):
    """The 1-based node nearest x: with x(k) <= x < x(k+1), k where
    x - x(k) <= x(k+1) - x (each distance a double, so the lower of two at
    the same distance); below x(1) the first, at or above the last the
    last, NaN the first."""
    if not x >= nodes[0]:  # below the first, or NaN
        return 1
    for k in range(1, len(nodes)):
        if x < nodes[k]:
            return k if x - nodes[k - 1] <= nodes[k] - x else k + 1
    return len(nodes)


def _clamped(k, count):
    return min(max(k, 2), count - 1)


def _stencil(rows, PIDX, TIDX):
    """The stencil's values: a row per pressure node PIDX .. PIDX + 2 (one row
    for m = 1), columns TIDX - 2 .. TIDX."""
    height = 1 if len(rows) == 1 else 3
    return [rows[i][TIDX - 3:TIDX] for i in range(PIDX - 1, PIDX - 1 + height)]


def _complete(cells):
    return not any(v != v for row in cells for v in row)


def _margin_verdict(x, nodes):
    """'N' on [x(1), x(last)], 'W' within one outermost node spacing of it
    (each bound a double, as written), 'E' beyond it and for NaN."""
    if nodes[0] <= x <= nodes[-1]:
        return "N"
    if nodes[0] - (nodes[1] - nodes[0]) <= x <= nodes[-1] + (nodes[-1] - nodes[-2]):
        return "W"
    return "E"


def _worse(a, b):
    return max(a, b, key=SEVERITY.index)


def grid_findpt(P, T, pressures, temperatures, values):
    """The stencil and the flags at (P, T).

    The stencil's middle pressure node is the node nearest P clamped to
    2..m-1, PIDX its lowest (PIDX = 1 for m = 1); its middle temperature
    node the node nearest T clamped to 2..n-1, TIDX its highest.
    ISOERR: where the stencil's values hold a NaN, it moves up one pressure
    node at a time until they hold none ('W'); where none above is complete
    (for m = 1: the row's three values hold a NaN), 'E' and PIDX stays where
    it started. 'E' also where P lies below the lowest pressure node with a
    value at the temperature node nearest T, moved or not; a NaN lies below
    every limit, as on the fixed grid; for m = 1 the pressure has no limit.
    PTERR: the worse of P's and T's verdict, 'N' within the nodes, 'W'
    within one outermost spacing beyond, 'E' further and for NaN; for m = 1
    T's alone.
    """
    p, t, rows = _table(pressures, temperatures, values)
    P, T = np.float64(P), np.float64(T)
    m = len(p)
    TIDX = _clamped(nearest(T, t), len(t)) + 1
    PIDX = 1 if m == 1 else _clamped(nearest(P, p), m) - 1
    ISOERR = "N"
    start = PIDX
    while not _complete(_stencil(rows, PIDX, TIDX)):
        if m == 1 or PIDX == m - 2:
            PIDX, ISOERR = start, "E"
            break
        PIDX, ISOERR = PIDX + 1, "W"
    if m > 1:
        column = nearest(T, t) - 1
        with_value = [p[i] for i in range(m) if rows[i][column] == rows[i][column]]
        if with_value and not P >= with_value[0]:
            ISOERR = "E"
    PTERR = _margin_verdict(T, t)
    if m > 1:
        PTERR = _worse(PTERR, _margin_verdict(P, p))
    return PIDX, TIDX, ISOERR, PTERR


def _pressure_pass(P, pn, column):
    """A column interpolated in pressure: the terms of nodes 2, 1, 0 (PIDX+2,
    PIDX+1, PIDX), each factor a multiplication by (P - node) then a division
    by (node_i - node_m), factors in descending node order, summed from +0."""
    d = [P - node for node in pn]
    top = column[2] * d[1] / (pn[2] - pn[1]) * d[0] / (pn[2] - pn[0])
    middle = column[1] * d[2] / (pn[1] - pn[2]) * d[0] / (pn[1] - pn[0])
    bottom = column[0] * d[2] / (pn[0] - pn[2]) * d[1] / (pn[0] - pn[1])
    return ((0.0 + top) + middle) + bottom


def _temperature_pass(T, tn, LKP):
    """The three columns' results interpolated in temperature: terms in
    ascending order, factors in ascending node order, summed from +0."""
    d = [T - node for node in tn]
    q0 = LKP[0] * d[1] / (tn[0] - tn[1]) * d[2] / (tn[0] - tn[2])
    q1 = LKP[1] * d[0] / (tn[1] - tn[0]) * d[2] / (tn[1] - tn[2])
    q2 = LKP[2] * d[0] / (tn[2] - tn[0]) * d[1] / (tn[2] - tn[1])
    return ((0.0 + q0) + q1) + q2


def grid_intrpk(P, T, PIDX, TIDX, ISOERR, pressures, temperatures, values):
    """log K at (P, T) on the stencil PIDX, TIDX in INTRPK's order: for each
    temperature column in ascending order the pressure pass over its three
    nodes, then the temperature pass over the three results; for m = 1 the
    temperature pass alone over the row's three values. The one NaN where
    the search found no complete stencil, and for every NaN result."""
    p, t, rows = _table(pressures, temperatures, values)
    P, T = np.float64(P), np.float64(T)
    cells = _stencil(rows, PIDX, TIDX)
    if not _complete(cells):  # the search found none complete: ISOERR is 'E'
        return ONE_NAN
    tn = t[TIDX - 3:TIDX]
    with np.errstate(all="ignore"):
        if len(p) == 1:
            return one_nan(_temperature_pass(T, tn, cells[0]))
        pn = p[PIDX - 1:PIDX + 2]
        LKP = [_pressure_pass(P, pn, [cells[i][j] for i in range(3)]) for j in range(3)]
        return one_nan(_temperature_pass(T, tn, LKP))


def _basis(x, node):
    """The quadratic Lagrange basis through node[0..2] at x and its
    derivatives, as the fixed grid's slopes form them."""
    value, slope = [], []
    for k in range(3):
        a, b = node[(k + 1) % 3], node[(k + 2) % 3]
        denominator = (node[k] - a) * (node[k] - b)
        value.append((x - a) * (x - b) / denominator)
        slope.append(((x - a) + (x - b)) / denominator)
    return value, slope


def grid_slopes(P, T, PIDX, TIDX, ISOERR, pressures, temperatures, values):
    """(dLK_dT, dLK_dP) of the interpolating polynomial on the stencil, in the
    fixed grid's order: for each column J ascending, along_p and slope_p
    summed from +0 over the pressure nodes ascending (basis times value),
    then dLK_dT += L_J'(T) along_p and dLK_dP += L_J(T) slope_p, both from
    +0. For m = 1: dLK_dT the temperature basis's derivatives over the row
    summed the same way, and dLK_dP = 0. The one NaN for every NaN."""
    p, t, rows = _table(pressures, temperatures, values)
    P, T = np.float64(P), np.float64(T)
    cells = _stencil(rows, PIDX, TIDX)
    if not _complete(cells):  # the search found none complete: ISOERR is 'E'
        return ONE_NAN, (0.0 if len(p) == 1 else ONE_NAN)
    with np.errstate(all="ignore"):
        in_t, slope_t = _basis(T, t[TIDX - 3:TIDX])
        dLK_dT = dLK_dP = np.float64(0.0)
        if len(p) == 1:
            for j in range(3):
                dLK_dT += slope_t[j] * cells[0][j]
            return one_nan(dLK_dT), 0.0
        in_p, slope_p = _basis(P, p[PIDX - 1:PIDX + 2])
        for j in range(3):
            along_p = slope_along_p = np.float64(0.0)
            for i in range(3):
                along_p += in_p[i] * cells[i][j]
                slope_along_p += slope_p[i] * cells[i][j]
            dLK_dT += slope_t[j] * along_p
            dLK_dP += in_t[j] * slope_along_p
        return one_nan(dLK_dT), one_nan(dLK_dP)
