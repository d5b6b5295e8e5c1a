/* A table of one's own nodes, with logk's C interface: log K of calcite
 * along the saturation curve at the eight temperatures a database lists (as
 * in calcite.dat), its nodes, and for a few points log K, the stencil and
 * the two flags, as the program writes them in logk.out for calcite.dat.
 *   own_nodes
 * Build: cc own_nodes.c $(pkg-config --cflags --libs logk) */
#include <math.h>
#include <stdio.h>

#include "logk/logk.h"

int main(void) {
    /* One pressure node: a table along one line. NaN is the saturation
     * line (calcite.dat's `sat`); the pressure takes no part. */
    const double pressures[1] = {NAN};
    const double temperatures[8] = {0.01, 25.0, 60.0, 100.0, 150.0, 200.0, 250.0, 300.0}; /* degC */
    const double values[1 * 8] = {-8.38, -8.48, -8.75, -9.13, -9.64, -10.20, -10.81, -11.48};
    logk_error error;
    logk_table *table = logk_table_from_grid(1, pressures, 8, temperatures, values, &error);
    if (table == NULL) {
        fprintf(stderr, "%s\n", error.text); /* what is wrong with the nodes or counts */
        return 1;
    }
    const double *t;
    size_t m, n;
    logk_table_nodes(table, NULL, &m, &t, &n); /* its own nodes, for as long as it lives */
    printf("%zu x %zu nodes, %g to %g degC\n", m, n, t[0], t[n - 1]);

    enum { k = 5 };
    /* The last two lie beyond 300 degC: within one node spacing (pterr W),
     * and beyond it (pterr E). */
    const double P[k] = {1.0, 2.3, 59.4, 112.9, 250.0}; /* bar */
    const double T[k] = {40.0, 125.0, 275.0, 320.0, 400.0}; /* degC */
    double lk[k];
    int pidx[k], tidx[k];
    char isoerr[k], pterr[k];
    logk_interpolate(table, k, P, T, lk, pidx, tidx, isoerr, pterr);
    for (int i = 0; i < k; ++i) {
        printf("%.17g %.17g %d %d %.17g %c %c\n", P[i], T[i], pidx[i], tidx[i], lk[i], isoerr[i], pterr[i]);
    }
    logk_table_free(table);
    return 0;
}
