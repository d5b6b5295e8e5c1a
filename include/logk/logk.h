/* logk in-process, for C and for what calls C (Fortran, R, ...): log K
 * interpolated on a fixed pressure-temperature grid, with exactly the
 * results of the program.
 *
 *   logk_error error;
 *   logk_table *table = logk_table_load("quartz.dat", &error);
 *   if (table == NULL) { ... show error.text, the program's message, as the model shows its own ... }
 *   logk_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr);
 *   logk_table_free(table);
 *
 * No function prints or ends the process. A table is only read once made,
 * so several threads may call logk_interpolate on it at once.
 */
#ifndef LOGK_LOGK_H
#define LOGK_LOGK_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct logk_table logk_table;
typedef struct logk_error { int number; char text[1024]; } logk_error;

/* Reads a table file with the program's reader (37 records of 36 values,
 * every notation). On failure returns NULL and, where error is not NULL,
 * sets number to the program's message number (29 file not found, 59 a
 * stray character, 24 a table that ends early, ...; 0 for a failure the
 * program has no message for) and text to the program's message,
 * NUL-terminated and cut to fit. */
logk_table *logk_table_load(const char *path, logk_error *error);

/* Where a read stopped: the line, from 1 (0 if it read none), and the
 * column in it, from 1 (0 at the end of the file, or where the system
 * refused to read). */
typedef struct logk_place { long long line; long long column; } logk_place;

/* logk_table_load, and where the reader stopped on a failure in `place`
 * where it is not NULL ({0, 0} when the table loads): "line 12, column 7"
 * says more than the program's message can. */
logk_table *logk_table_load_at(const char *path, logk_error *error, logk_place *place);

/* A table from 1332 values in file order: the 36 temperatures of the first
 * pressure node, then of the second, and so on. NULL (number 0) when values
 * is NULL or memory runs out. */
logk_table *logk_table_from_values(const double values[1332], logk_error *error);

/* Frees a table; NULL is allowed. */
void logk_table_free(logk_table *table);

/* For n points P[i] (bar), T[i] (degrees Celsius): log K, the stencil's
 * PIDX (1..35) and TIDX (3..36), and the flags ISOERR and PTERR ('N', 'W'
 * or 'E'). Any output may be NULL. Nothing is done when table, P or T is
 * NULL. A log K or slope that is not a number is always the quiet NaN
 * 0x7FF8000000000000, whatever NaN or infinity it came from.
 *
 * An output may lie over P or T (lk == P, say): the results are those of
 * separate arrays. Only an output that starts inside P or T past its start
 * makes the call copy the inputs first; should memory run out for that, log
 * K is NaN, the stencil -100 and both flags 'E' at every point. */
void logk_interpolate(const logk_table *table, size_t n, const double *P, const double *T,
                      double *lk, int *pidx, int *tidx, char *isoerr, char *pterr);

/* The slopes of the interpolant at each point, on the point's own stencil:
 * d log K / dT per degree Celsius and d log K / dP per bar. Like log K they
 * jump where the stencil changes. Either output may be NULL; they may lie
 * over P or T as for logk_interpolate (on failure both are NaN). */
void logk_slopes(const logk_table *table, size_t n, const double *P, const double *T,
                 double *dlk_dT, double *dlk_dP);

/* The same on several threads: workers 1, the calling thread alone (the
 * calls above); more, up to that many threads; 0 or below, one per core
 * the process may run on (its CPU affinity). Every result has the same
 * bits whatever the number. The threads come from one pool that every
 * call shares, made at the first call that wants them and kept for the
 * life of the process (the library is never unloaded), so that calls from
 * many threads at once share the cores rather than multiply threads, and a
 * process may exit while other threads are still in such calls. A call of fewer than 16384 values
 * (points times tables) runs on the calling thread: waking others would
 * cost more. Inside an OpenMP parallel region (omp_in_parallel()), the
 * call runs on the calling thread alone: the model's threads have the
 * cores already, so call it from each of them, or from outside the region
 * with workers 0. An output over P or T anywhere but at its very place
 * (lk == P) makes the call copy the inputs first. */
void logk_interpolate_workers(const logk_table *table, size_t n, const double *P, const double *T,
                              double *lk, int *pidx, int *tidx, char *isoerr, char *pterr, int workers);
void logk_slopes_workers(const logk_table *table, size_t n, const double *P, const double *T,
                         double *dlk_dT, double *dlk_dP, int workers);

/* The interpolation backwards, for n points: the first temperature T[i],
 * going up from T_low to T_high, at which log K at pressure P[i] (as
 * logk_interpolate gives it, to the bit) crosses lk[i]: the double at which
 * log K at the double just below lies on the other side of lk[i], or equals
 * it. how[i] (how may be NULL) is 'C' where log K crosses inside one
 * stencil (or takes the value), 'J' where it jumps over it at a change of
 * stencil (T[i] the first double past the jump), 'R' where rounding
 * decides (below), 'N' where it does not reach it (T[i] NaN); NaN inputs
 * and T_low > T_high give NaN and 'N'. The stencil and flags at T[i] are
 * logk_interpolate's there. The outputs may lie over the inputs.
 * logk_pressure_at is the same going up in pressure from P_low to P_high
 * at temperature T[i]. The grid's range is 0.01 to 600 degC and 1 to 5000
 * bar.
 *
 * 'R': log K comes within rounding of lk[i] over more doubles than the
 * search looks at one by one: 2,097,152 (2^21) in all, a double counted
 * twice where the table's values on its stencil lie below 2^-400 or above
 * 2^400 in size, so that no point takes more than some 30 ms of one core
 * (lk[i] within some 1e-13 of a largest or smallest log K along the line,
 * or a table flat to its last digits). T[i] is the first double not looked
 * at: none before it is an answer, and log K there lies within rounding of
 * lk[i]; whether and where it first takes or crosses lk[i] after it is not
 * settled.
 *
 * Every answer meets the definition for any table, but where log K is not
 * finite on a stencil's piece, or where a product inside the interpolation
 * could pass 2^1020 (in the grid, a table whose values pass some 10^302 in
 * size): there the search halves the piece, and an answer still changes
 * side as said, but an earlier change may be passed over. */
void logk_temperature_at(const logk_table *table, size_t n, const double *P, const double *lk,
                         double T_low, double T_high, double *T, char *how);
void logk_pressure_at(const logk_table *table, size_t n, const double *T, const double *lk,
                      double P_low, double P_high, double *P, char *how);

/* A set of tables on the grid, for the reactions of one system: each
 * point's stencil and flags are chosen once, and the log K of every table
 * follows, each with the bits of its own table.
 *
 *   const logk_table *tables[2] = {quartz, water};
 *   logk_table_set *set = logk_table_set_from_tables(tables, 2, &error);
 *   logk_table_set_interpolate(set, n, P, T, lk, pidx, tidx, isoerr, pterr);  -- lk[i * 2 + r]
 *   logk_table_set_free(set);
 */
typedef struct logk_table_set logk_table_set;

/* A set of copies of `count` tables, in this order: the tables may be freed
 * afterwards. NULL (number 0, with a text that says why) for a count of 0,
 * NULL tables or a NULL among them, or no memory. */
logk_table_set *logk_table_set_from_tables(const logk_table *const *tables, size_t count, logk_error *error);

/* A set from count * 1332 values: table after table, each in file order.
 * NULL (number 0) for a count of 0, NULL values, a count whose values no
 * address could hold ("a count of ... tables is too large"), or no memory. */
logk_table_set *logk_table_set_from_values(const double *values, size_t count, logk_error *error);

/* The number of tables; 0 for NULL. */
size_t logk_table_set_count(const logk_table_set *set);

/* Frees a set; NULL is allowed. */
void logk_table_set_free(logk_table_set *set);

/* For n points, as logk_interpolate for each table of the set: lk holds
 * n * count values, point after point (lk[i * count + r] for point i and
 * table r; in Fortran an array lk(count, n)); pidx, tidx, isoerr and pterr
 * one value a point. Any output may be NULL; outputs may lie over P or T
 * (lk over them makes the call copy the inputs first). Nothing is done
 * when set, P or T is NULL. */
void logk_table_set_interpolate(const logk_table_set *set, size_t n, const double *P, const double *T,
                                double *lk, int *pidx, int *tidx, char *isoerr, char *pterr);

/* The slopes of every table's interpolant, n * count values each, point
 * after point, as logk_slopes gives them. */
void logk_table_set_slopes(const logk_table_set *set, size_t n, const double *P, const double *T,
                           double *dlk_dT, double *dlk_dP);

/* Both on several threads, as logk_interpolate_workers. */
void logk_table_set_interpolate_workers(const logk_table_set *set, size_t n, const double *P, const double *T,
                                        double *lk, int *pidx, int *tidx, char *isoerr, char *pterr, int workers);
void logk_table_set_slopes_workers(const logk_table_set *set, size_t n, const double *P, const double *T,
                                   double *dlk_dT, double *dlk_dP, int workers);

#ifdef __cplusplus
}
#endif

#endif
