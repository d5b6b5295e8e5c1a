/* Silica and neutral water along a geotherm, with logk's C interface: the
 * solubility of quartz and the ionisation constant of water, two tables
 * made one set, so that each point's stencil is chosen once for both. 30
 * degC per km from 10 degC at the surface, hydrostatic pressure, every
 * 500 m down to 15 km. */
#include <stdio.h>

#include "logk/logk.h"

static logk_table *load(const char *path) {
    logk_error error;
    logk_table *table = logk_table_load(path, &error);
    if (table == NULL) fprintf(stderr, "%s\n", error.text);
    return table;
}

int main(int argc, char **argv) {
    logk_table *tables[2] = {load(argc > 1 ? argv[1] : "quartz.dat"), load(argc > 2 ? argv[2] : "kw.dat")};
    logk_table_set *set = NULL;
    if (tables[0] != NULL && tables[1] != NULL) {
        set = logk_table_set_from_tables((const logk_table *const *)tables, 2, NULL);
    }
    logk_table_free(tables[0]); /* the set holds copies */
    logk_table_free(tables[1]);
    if (set == NULL) return 1;

    enum { n = 31 };
    double P[n], T[n], lk[n][2]; /* lk[k][0] quartz, lk[k][1] water: the tables side by side */
    int pidx[n], tidx[n];
    char isoerr[n], pterr[n];
    for (int k = 0; k < n; ++k) {
        P[k] = 1.0 + 98.1 * 0.5 * k;  /* bar */
        T[k] = 10.0 + 30.0 * 0.5 * k; /* degC */
    }
    logk_table_set_interpolate(set, n, P, T, &lk[0][0], pidx, tidx, isoerr, pterr);
    for (int k = 0; k < n; ++k) {
        /* the neutral pH of water is -log Kw / 2 */
        printf("%.17g %.17g %d %d %.17g %.17g %c %c pH %.3f\n", P[k], T[k], pidx[k], tidx[k], lk[k][0], lk[k][1],
               isoerr[k], pterr[k], -lk[k][1] / 2);
    }
    logk_table_set_free(set);
    return 0;
}
