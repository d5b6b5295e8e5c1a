/* A quartz geothermometer with logk's C interface: the reservoir temperature
 * of a hot spring's water from the silica it holds, where the water was in
 * equilibrium with quartz at depth. The silica, in mg/kg, gives log m of
 * SiO2(aq), which the quartz table takes to a temperature at the reservoir's
 * pressure; the stencil and flags there say how far to trust it. And the
 * temperature at which neutral water has pH 6.0 at 100 bar (log Kw = -12).
 *   geothermometer [quartz.dat [kw.dat [SiO2 mg/kg ...]]]    (100, 200 and 300 mg/kg unless given)
 * Build: cc geothermometer.c $(pkg-config --cflags --libs logk) -lm */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "logk/logk.h"

static logk_table *load(const char *path) {
    logk_error error;
    logk_table *table = logk_table_load(path, &error);
    if (table == NULL) fprintf(stderr, "%s\n", error.text);
    return table;
}

int main(int argc, char **argv) {
    double silica[64] = {100.0, 200.0, 300.0}; /* mg/kg */
    int waters = 3;
    if (argc > 3) {
        for (waters = 0; waters < argc - 3 && waters < 64; ++waters) {
            char *end;
            silica[waters] = strtod(argv[3 + waters], &end);
            if (*end != '\0' || !(silica[waters] > 0.0)) {
                fprintf(stderr, "geothermometer: '%s' is no silica content in mg/kg\n", argv[3 + waters]);
                return 2;
            }
        }
    }
    logk_table *quartz = load(argc > 1 ? argv[1] : "quartz.dat");
    logk_table *kw = load(argc > 2 ? argv[2] : "kw.dat");
    if (quartz == NULL || kw == NULL) return 1;
    const double pressure[2] = {100.0, 500.0}; /* bar */
    for (int p = 0; p < 2; ++p) {
        for (int s = 0; s < waters; ++s) {
            const double log_m = log10(silica[s] / 1000.0 / 60.08); /* mol/kg of SiO2, 60.08 g/mol */
            double T;
            char how;
            int pidx, tidx;
            char isoerr, pterr;
            logk_temperature_at(quartz, 1, &pressure[p], &log_m, 0.01, 600.0, &T, &how);
            logk_interpolate(quartz, 1, &pressure[p], &T, NULL, &pidx, &tidx, &isoerr, &pterr);
            printf("SiO2 %g mg/kg at %g bar: %.17g degC %c stencil %d %d flags %c %c\n", silica[s], pressure[p], T,
                   how, pidx, tidx, isoerr, pterr);
        }
    }
    const double P = 100.0, log_kw = -12.0; /* pH 6.0 = -log Kw / 2 */
    double T;
    char how;
    logk_temperature_at(kw, 1, &P, &log_kw, 0.01, 600.0, &T, &how);
    printf("neutral pH 6.0 at %g bar: %.17g degC %c\n", P, T, how);
    logk_table_free(quartz);
    logk_table_free(kw);
    return 0;
}
