/* Log K along a geotherm, with logk's C interface: 30 degC per km from
 * 10 degC at the surface, hydrostatic pressure, every 500 m down to 15 km. */
#include <stdio.h>

#include "logk/logk.h"

int main(int argc, char **argv) {
    logk_error error;
    logk_table *table = logk_table_load(argc > 1 ? argv[1] : "quartz.dat", &error);
    if (table == NULL) {
        fprintf(stderr, "%s\n", error.text);
        return 1;
    }
    enum { n = 31 };
    double P[n], T[n], lk[n];
    int pidx[n], tidx[n];
    char isoerr[n], pterr[n];
    for (int k = 0; k < n; ++k) {
        P[k] = 1.0 + 98.1 * 0.5 * k;  /* bar */
        T[k] = 10.0 + 30.0 * 0.5 * k; /* degC */
    }
    logk_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr);
    for (int k = 0; k < n; ++k) {
        printf("%.17g %.17g %d %d %.17g %c %c\n", P[k], T[k], pidx[k], tidx[k], lk[k], isoerr[k], pterr[k]);
    }
    logk_table_free(table);
    return 0;
}
