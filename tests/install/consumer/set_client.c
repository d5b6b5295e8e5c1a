/* A C model built against the installed logk: makes a set of the tables
 * named on the command line, reads points ("P T" a line, as strtod reads
 * them) from standard input, and prints for each the stencil, the flags and
 * log K of every table in hexadecimal, exactly:
 *   pidx tidx isoerr pterr lk1 lk2 ... */
#include <stdio.h>
#include <stdlib.h>

#include "logk/logk.h"

int main(int argc, char **argv) {
    const size_t count = (size_t)(argc - 1);
    logk_table **tables = calloc(count + 1, sizeof *tables);
    for (size_t r = 0; r < count; ++r) {
        logk_error error;
        tables[r] = logk_table_load(argv[r + 1], &error);
        if (tables[r] == NULL) {
            fprintf(stderr, "%d: %s\n", error.number, error.text);
            return 1;
        }
    }
    logk_error error;
    logk_table_set *set = logk_table_set_from_tables((const logk_table *const *)tables, count, &error);
    for (size_t r = 0; r < count; ++r) logk_table_free(tables[r]);
    free(tables);
    if (set == NULL) {
        fprintf(stderr, "%s\n", error.text);
        return 1;
    }
    size_t n = 0, capacity = 1024;
    double *P = malloc(capacity * sizeof *P), *T = malloc(capacity * sizeof *T);
    char line[256];
    while (fgets(line, sizeof line, stdin) != NULL) {
        if (n == capacity) {
            capacity *= 2;
            P = realloc(P, capacity * sizeof *P);
            T = realloc(T, capacity * sizeof *T);
        }
        char *end;
        P[n] = strtod(line, &end);
        T[n] = strtod(end, NULL);
        ++n;
    }
    double *lk = malloc((n * count + 1) * sizeof *lk);
    int *pidx = malloc((n + 1) * sizeof *pidx), *tidx = malloc((n + 1) * sizeof *tidx);
    char *isoerr = malloc(n + 1), *pterr = malloc(n + 1);
    logk_table_set_interpolate(set, n, P, T, lk, pidx, tidx, isoerr, pterr);
    for (size_t i = 0; i < n; ++i) {
        printf("%d %d %c %c", pidx[i], tidx[i], isoerr[i], pterr[i]);
        for (size_t r = 0; r < count; ++r) printf(" %a", lk[i * count + r]);
        printf("\n");
    }
    logk_table_set_free(set);
    free(P), free(T), free(lk), free(pidx), free(tidx), free(isoerr), free(pterr);
    return 0;
}
