/* One table, a few points, with logk's C interface: for each point, log K,
 * the stencil and the two flags, as the program writes them in logk.out.
 *   one_table [quartz.dat]
 * Build: cc one_table.c $(pkg-config --cflags --libs logk) */
#include <stdio.h>

#include "logk/logk.h"

int main(int argc, char **argv) {
    const char *path = argc > 1 ? argv[1] : "quartz.dat";
    logk_error error;
    logk_table *table = logk_table_load(path, &error);
    if (table == NULL) {
        fprintf(stderr, "%s\n", error.text); /* the program's message; error.number its number */
        return 1;
    }
    enum { n = 5 };
    const double P[n] = {500.0, 100.0, 0.5, 170.0, 7000.0}; /* bar */
    const double T[n] = {300.0, 200.0, 300.0, 375.0, 300.0}; /* degC */
    double lk[n];
    int pidx[n], tidx[n];
    char isoerr[n], pterr[n];
    logk_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr);
    for (int i = 0; i < n; ++i) {
        printf("%.17g %.17g %d %d %.17g %c %c\n", P[i], T[i], pidx[i], tidx[i], lk[i], isoerr[i], pterr[i]);
    }
    logk_table_free(table);
    return 0;
}
