/* Loads the table given and prints the stencil, flags and log K of 500 bar
 * and 300 degC, as logk.out shows them: "19 13 N N -1.917" for the example. */
#include <stdio.h>

#include "logk/logk.h"

int main(int argc, char **argv) {
    logk_error error;
    logk_table *table = logk_table_load(argc > 1 ? argv[1] : "quartz.dat", &error);
    if (table == NULL) {
        fprintf(stderr, "%d: %s\n", error.number, error.text);
        return 1;
    }
    const double P = 500.0, T = 300.0;
    double lk;
    int pidx, tidx;
    char isoerr, pterr;
    logk_interpolate(table, 1, &P, &T, &lk, &pidx, &tidx, &isoerr, &pterr);
    printf("%d %d %c %c %.3f\n", pidx, tidx, isoerr, pterr, lk);
    logk_table_free(table);
    return 0;
}
