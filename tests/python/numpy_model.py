"""logk's stencil selection and interpolation written again, rule by rule, in
vectorised NumPy: a model independent of the library's code, from the
rules as the README and the manual state them. The tests and the
benchmarks hold the library's bits against it, point by point.

    PIDX, TIDX, ISOERR, PTERR = findpt_numpy(P, T)
    LK = intrpk_numpy(P, T, PIDX, TIDX, values)   # values: one table, shape (37, 36)
"""
import numpy as np

# The grid, bar and degrees Celsius.
PGRID = np.array([1.0, 1.0133, 2.321, 4.758, 8.919, 15.537, 25.479, 39.737, 59.432, 85.839, 120.458, 165.212,
                  200.0, 250.0, 300.0, 350.0, 400.0, 450.0, 500.0, 550.0, 600.0, 650.0, 700.0, 750.0, 800.0,
                  850.0, 900.0, 950.0, 1000.0, 1500.0, 2000.0, 2500.0, 3000.0, 3500.0, 4000.0, 4500.0, 5000.0])
TGRID = np.array([0.01, 25.0, 50.0, 75.0, 100.0, 125.0, 150.0, 175.0, 200.0, 225.0, 250.0, 275.0, 300.0, 325.0,
                  350.0, 400.0, 410.0, 420.0, 430.0, 440.0, 450.0, 460.0, 470.0, 480.0, 490.0, 500.0, 510.0, 520.0,
                  530.0, 540.0, 550.0, 560.0, 570.0, 580.0, 590.0, 600.0])
# TIDX 5..15: shift by one below the first, 'E' below the second (none at 5).
SATURATION = {5: (1.0133, None), 6: (2.321, 1.013), 7: (4.758, 2.321), 8: (8.919, 4.758), 9: (15.537, 8.919),
              10: (25.479, 15.537), 11: (39.737, 25.479), 12: (59.432, 39.737), 13: (85.839, 59.432),
              14: (120.458, 85.839), 15: (165.212, 120.458)}
# TIDX 17..36: shift by one in [from, to), 'E' below the limit.
WINDOWS = {17: (200, 350, 200), 18: (350, 400, 350), 19: (350, 400, 350), 20: (400, 450, 400),
           21: (450, 500, 450), 22: (450, 500, 450), 23: (500, 550, 500), 24: (550, 600, 550),
           25: (550, 600, 550), 26: (600, 650, 600), 27: (600, 650, 600), 28: (650, 700, 650),
           29: (700, 750, 700), 30: (700, 750, 700), 31: (750, 800, 700), 32: (800, 850, 800),
           33: (800, 850, 800), 34: (850, 900, 850), 35: (900, 950, 900), 36: (900, 950, 900)}


def below(v, x):
    return ~(v >= x)  # a NaN is below every threshold


def findpt_numpy(P, T):
    """The stencil selection, rule by rule, over whole arrays."""
    n = P.size
    PIDX = np.clip(np.searchsorted(PGRID, P, side="right"), 1, 35)
    PTERR = np.full(n, "N", dtype="U1")
    ISOERR = np.full(n, "N", dtype="U1")
    p1 = ~(P > 0)
    PIDX[p1] = 1
    PTERR[p1] = "E"
    PTERR[(P > 0) & below(P, 1.0)] = "W"
    PTERR[(P > 5000) & below(P, 6000)] = "W"
    PTERR[P >= 6000] = "E"
    TIDX = np.searchsorted(TGRID, T, side="left") + 1
    TIDX[np.isnan(T)] = 3
    cold = ~(T > 50)
    TIDX[cold] = 3
    PTERR[below(T, 0.01)] = "E"
    PIDX[cold] = np.minimum(PIDX[cold], 34)
    for k, (shift, limit) in SATURATION.items():
        row = (TIDX == k) & (T > 75) & ~(T > 350)
        moved = row & below(P, shift)
        PIDX[moved] += 1
        ISOERR[moved] = "W"
        if limit is not None:
            ISOERR[row & below(P, limit)] = "E"
    t6 = (T > 350) & ~(T > 400)
    TIDX[t6] = 16
    for low, high, by in ((165.212, 200, 3), (200, 250, 2), (250, 300, 1)):
        moved = t6 & (P >= low) & below(P, high)
        PIDX[moved] += by
        ISOERR[moved] = "W"
    ISOERR[t6 & below(P, 165.212)] = "E"
    for k, (low, high, limit) in WINDOWS.items():
        row = (TIDX == k) & (T > 400) & ~(T > 600)
        moved = row & (P >= low) & below(P, high)
        PIDX[moved] += 1
        ISOERR[moved] = "W"
        ISOERR[row & below(P, limit)] = "E"
    t8 = (T > 600) & ~(T > 700)
    TIDX[t8] = 36
    PTERR[t8 & (PTERR == "N")] = "W"
    moved = t8 & (P >= 900) & below(P, 950)
    PIDX[moved] += 1
    ISOERR[moved] = "W"
    ISOERR[t8 & below(P, 800)] = "E"
    t9 = T > 700
    TIDX[t9] = 36
    PTERR[t9] = "E"
    return PIDX, TIDX, ISOERR, PTERR


def intrpk_numpy(P, T, PIDX, TIDX, values):
    """The interpolation in its prescribed order, over whole arrays."""
    i0, j0 = PIDX - 1, TIDX - 3
    pn = [PGRID[i0 + k] for k in range(3)]
    tn = [TGRID[j0 + k] for k in range(3)]
    p = [P - node for node in pn]
    LKP = []
    for j in range(3):
        cell = [values[i0 + i, j0 + j] for i in range(3)]
        top = cell[2] * p[1] / (pn[2] - pn[1]) * p[0] / (pn[2] - pn[0])
        middle = cell[1] * p[2] / (pn[1] - pn[2]) * p[0] / (pn[1] - pn[0])
        bottom = cell[0] * p[2] / (pn[0] - pn[2]) * p[1] / (pn[0] - pn[1])
        LKP.append(((0.0 + top) + middle) + bottom)
    t = [T - node for node in tn]
    q0 = LKP[0] * t[1] / (tn[0] - tn[1]) * t[2] / (tn[0] - tn[2])
    q1 = LKP[1] * t[0] / (tn[1] - tn[0]) * t[2] / (tn[1] - tn[2])
    q2 = LKP[2] * t[0] / (tn[2] - tn[0]) * t[1] / (tn[2] - tn[1])
    return ((0.0 + q0) + q1) + q2
