"""logk's stencil selection and interpolation as a Python user would write
them with Numba: one point at a time, rule by rule, in a loop over the
points that prange spreads over every core. Written from the rules as the
README and the manual state them, not from the library's code; the
benchmark checks it gives the module's bits before it times it.

    logk_numba(P, T, values, LK, PIDX, TIDX, ISOERR, PTERR)  # values (37, 36); flags as uint8 codes
"""
import logk
import numba
import numpy as np

# The grid, from the module whose rules these are (imported after it is built).
PGRID = np.array(logk.PGRID, dtype=np.float64)
TGRID = np.array(logk.TGRID, dtype=np.float64)
# TIDX 5..15: the shift below the first, 'E' below the second (none: 0).
SHIFT_BELOW = np.array([1.0133, 2.321, 4.758, 8.919, 15.537, 25.479, 39.737, 59.432, 85.839, 120.458, 165.212])
LIMIT_BELOW = np.array([0.0, 1.013, 2.321, 4.758, 8.919, 15.537, 25.479, 39.737, 59.432, 85.839, 120.458])
# TIDX 17..36: shift by one in [from, to), 'E' below the limit.
WINDOW_FROM = np.array([200, 350, 350, 400, 450, 450, 500, 550, 550, 600, 600, 650, 700, 700, 750, 800, 800, 850,
                        900, 900], dtype=np.float64)
WINDOW_TO = np.array([350, 400, 400, 450, 500, 500, 550, 600, 600, 650, 650, 700, 750, 750, 800, 850, 850, 900, 950,
                      950], dtype=np.float64)
WINDOW_LIMIT = np.array([200, 350, 350, 400, 450, 450, 500, 550, 550, 600, 600, 650, 700, 700, 700, 800, 800, 850,
                         900, 900], dtype=np.float64)
N, W, E = ord("N"), ord("W"), ord("E")


@numba.njit(inline="always")
def findpt(P, T):
    PTERR, ISOERR = N, N
    if not (P > 0.0):
        PIDX, PTERR = 1, E
    elif not (P >= 1.0):
        PIDX, PTERR = 1, W
    elif not (P >= 4000.0):
        PIDX = np.searchsorted(PGRID, P, side="right")
    else:
        PIDX = 35
        if P >= 6000.0:
            PTERR = E
        elif P > 5000.0:
            PTERR = W
    if not (T >= 0.01) or not (T > 50.0):
        TIDX = 3
        if not (T >= 0.01):
            PTERR = E
        PIDX = min(PIDX, 34)
    elif not (T > 75.0):
        TIDX = 4
    elif not (T > 350.0):
        TIDX = np.searchsorted(TGRID, T, side="left") + 1
        if not (P >= SHIFT_BELOW[TIDX - 5]):
            PIDX += 1
            ISOERR = W
        if TIDX > 5 and not (P >= LIMIT_BELOW[TIDX - 5]):
            ISOERR = E
    elif not (T > 400.0):
        TIDX = 16
        if P >= 165.212 and P < 200.0:
            PIDX, ISOERR = PIDX + 3, W
        elif P >= 200.0 and P < 250.0:
            PIDX, ISOERR = PIDX + 2, W
        elif P >= 250.0 and P < 300.0:
            PIDX, ISOERR = PIDX + 1, W
        if not (P >= 165.212):
            ISOERR = E
    elif not (T > 700.0):
        if T > 600.0:
            TIDX = 36
            if PTERR == N:
                PTERR = W
            low, high, limit = 900.0, 950.0, 800.0
        else:
            TIDX = np.searchsorted(TGRID, T, side="left") + 1
            low, high, limit = WINDOW_FROM[TIDX - 17], WINDOW_TO[TIDX - 17], WINDOW_LIMIT[TIDX - 17]
        if P >= low and P < high:
            PIDX, ISOERR = PIDX + 1, W
        if not (P >= limit):
            ISOERR = E
    else:
        TIDX, PTERR = 36, E
    return PIDX, TIDX, ISOERR, PTERR


@numba.njit(inline="always")
def intrpk(P, T, PIDX, TIDX, values):
    i0, j0 = PIDX - 1, TIDX - 3
    pn0, pn1, pn2 = PGRID[i0], PGRID[i0 + 1], PGRID[i0 + 2]
    tn0, tn1, tn2 = TGRID[j0], TGRID[j0 + 1], TGRID[j0 + 2]
    p0, p1, p2 = P - pn0, P - pn1, P - pn2
    LKP = np.empty(3)
    for j in range(3):
        top = values[i0 + 2, j0 + j] * p1 / (pn2 - pn1) * p0 / (pn2 - pn0)
        middle = values[i0 + 1, j0 + j] * p2 / (pn1 - pn2) * p0 / (pn1 - pn0)
        bottom = values[i0, j0 + j] * p2 / (pn0 - pn2) * p1 / (pn0 - pn1)
        LKP[j] = ((0.0 + top) + middle) + bottom
    t0, t1, t2 = T - tn0, T - tn1, T - tn2
    q0 = LKP[0] * t1 / (tn0 - tn1) * t2 / (tn0 - tn2)
    q1 = LKP[1] * t0 / (tn1 - tn0) * t2 / (tn1 - tn2)
    q2 = LKP[2] * t0 / (tn2 - tn0) * t1 / (tn2 - tn1)
    return ((0.0 + q0) + q1) + q2


@numba.njit(parallel=True)
def logk_numba(P, T, values, LK, PIDX, TIDX, ISOERR, PTERR):
    for i in numba.prange(P.size):
        pidx, tidx, isoerr, pterr = findpt(P[i], T[i])
        LK[i] = intrpk(P[i], T[i], pidx, tidx, values)
        PIDX[i], TIDX[i], ISOERR[i], PTERR[i] = pidx, tidx, isoerr, pterr
