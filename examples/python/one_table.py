#!/usr/bin/python3
"""One table, a few points, with logk's Python module: for each point, log
K, the stencil and the two flags, as the program writes them in logk.out.

    python3 one_table.py [quartz.dat]
"""
import sys

import numpy as np

import logk

path = sys.argv[1] if len(sys.argv) > 1 else "quartz.dat"
table = logk.Table.load(path)
P = np.array([500.0, 100.0, 0.5, 170.0, 7000.0])  # bar
T = np.array([300.0, 200.0, 300.0, 375.0, 300.0])  # degC
result = table.interpolate(P, T)  # result.lk, .pidx, .tidx, .isoerr, .pterr: arrays of P's shape
for i in range(len(P)):
    print("%.17g %.17g %d %d %.17g %s %s" % (P[i], T[i], result.pidx[i], result.tidx[i], result.lk[i],
                                            result.isoerr[i], result.pterr[i]))
