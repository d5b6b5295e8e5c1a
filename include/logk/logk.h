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

/* The version of these declarations; logk_version() gives the library's
 * own, which a program may check against them at run time. Both follow the
 * file VERSION of logk's sources (the build checks that they agree). */
#define LOGK_VERSION_MAJOR 2
#define LOGK_VERSION_MINOR 2
#define LOGK_VERSION_PATCH 0
#define LOGK_VERSION "2.2.0"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct logk_table logk_table;
typedef struct logk_error { int number; char text[1024]; } logk_error;

/* The library's version, "2.2.0", and the build of its batch loop in use:
 * "avx512", "avx2" or "baseline" (for bug reports and benchmarks). The
 * environment variable LOGK_CPU, read at the first call, forces a build
 * ("baseline", "avx2", "avx512"): one the processor cannot run, or any
 * other word, leaves the build the library would choose, and
 * logk_build_note() then says so ("" where nothing needs saying). Every
 * build gives the same bits.
 *
 * logk_division() says how that build divides: "divider", or "reciprocal",
 * each division by a difference of a stencil's nodes done from its
 * reciprocal, made once per grid, with fused multiply-adds that give the
 * correctly rounded quotient, so the divider's bits (blocks of values or
 * points near the ends of the doubles, infinities and NaN keep the
 * divider). Processors whose divider bounds the batch loop gain from it,
 * others do not: the library times both on a few thousand points at the
 * first call and keeps the faster (for the interpolation backwards,
 * logk_temperature_at and the rest, whose search is nearly all divisions,
 * apart; logk_division() names the batch loop's). The environment variable LOGK_DIVISION,
 * read then, forces either ("divider", "reciprocal"); the baseline build
 * has no fused multiply-add and always divides, and logk_build_note() says
 * so where the other was asked for. Either gives the same bits. */
const char *logk_version(void);
const char *logk_build(void);
const char *logk_build_note(void);
const char *logk_division(void);

/* ---- workers: the one statement for every face ----
 *
 * The calls that take `workers` (here, in C++, Fortran, Python and R) read
 * it alike: 1 the calling thread alone (the default); k > 1 up to k
 * threads; 0 and -1 every core the process may run on (its CPU affinity);
 * -k every core but k - 1. A value that leaves no thread (-k for k above
 * the cores) is refused: here with LOGK_REFUSED, and the calls change no
 * output. Every result has the same bits whatever the number. The threads
 * come from one pool that every call shares, made at the first call that
 * wants them and kept for the life of the process (the library is never
 * unloaded), so that calls from many threads at once share the cores
 * rather than multiply threads, and a process may exit while other threads
 * are still in such calls. A call of fewer than 16384 values (points times
 * tables) runs on the calling thread: waking others would cost more. Inside
 * an OpenMP parallel region (omp_in_parallel()), a call runs on the calling
 * thread alone: the model's threads have the cores already, so call it from
 * each of them, or from outside the region with workers -1. */

/* The threads a large call gets for `workers`: at least 1; 0 where it is
 * refused, with why in error (where not NULL). */
int logk_workers_threads(int workers, logk_error *error);

/* ---- Calls that can be stopped ----
 *
 * A long call asks the caller's stop check between chunks of its work
 * (about a millisecond each, or some milliseconds of the interpolation
 * backwards) and, while a read waits on a pipe, every 50 ms: a nonzero
 * answer stops the call. `context` is passed to it as given. The check is
 * asked on the calling thread. The options may be NULL: workers 1, no
 * check. */
typedef int (*logk_stop_check)(void *context);
typedef struct logk_options {
    int workers;          /* as stated above; 1 where the options are NULL */
    logk_stop_check stop; /* NULL: never stopped */
    void *context;
} logk_options;

/* What such a call did: */
#define LOGK_DONE 0      /* every point */
#define LOGK_STOPPED 1   /* the stop check stopped it: the points before *done have every output */
#define LOGK_REFUSED 2   /* workers leaves no thread: no output changed */
#define LOGK_NO_MEMORY 3 /* memory ran out copying inputs that outputs lie over: outputs as said below */

/* The words for such a status, "stopped by the caller's check" and the like. */
const char *logk_status_text(int status);

/* ---- Messages ----
 *
 * logk_error.number is the program's message number; its kind says which
 * exception or condition a face raises: */
#define LOGK_NOT_FOUND 1  /* 29: no such file */
#define LOGK_PERMISSION 2 /* 9: the file may not be read */
#define LOGK_NOTATION 3   /* 22, 24, 59, 64: the file's text is no table or point list */
#define LOGK_OTHER 4      /* every other number, 0 (a failure the program has no message for) among them */

/* The kind of a message number: one of the four above. */
int logk_message_kind(int number);

/* The unit numbers that name a file in a message, as the program's do. */
#define LOGK_UNIT_TABLE 11
#define LOGK_UNIT_POINTS 12

/* What a message number means, in plain words, for a file of `unit`
 * ("a character that is no part of a number" for 59); NULL for a number
 * the program has no message for. */
const char *logk_message_meaning(int number, int unit);

/* Reads a table file with the program's reader: 37 records of 36 values,
 * every notation, on the fixed grid; or a file that names its own nodes (a
 * first line that is not a comment holds a word and the temperatures, then
 * a line a pressure node: the node and a value a temperature, by commas or
 * blanks, an empty field or nan for a missing value, `sat` for the one row
 * of a table along the saturation line), told apart by its first word,
 * which is not a number nor begins with T or F. On failure returns NULL and, where error is not NULL,
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

/* One line that says why a read failed, for a face's exception, from the
 * error, the place, the path as the caller gave it and the file's unit:
 *   "data/q.dat, line 12, column 7: a character that is no part of a number (message 59)"
 * (the system's reason added where it says more, the error's own text
 * where the program has no message). Writes at most size bytes, NUL
 * included, cut at a character; returns the length of the whole line. */
size_t logk_failure_line(const logk_error *error, const logk_place *place, const char *path, int unit, char *line,
                         size_t size);

/* What a table file holds that its reading passes over without a failure,
 * as the program reads it too, each line from 1 or 0 for none: the first
 * line holding values past the 36th of its row (and how many it holds),
 * the first holding a null value (",," or "/": a cell left at 0.0), and
 * the first after the 37 rows that holds values (a header of 36
 * temperatures on top leaves the last row there). Each may mean the file
 * is not the table that was meant. */
typedef struct logk_read_notes {
    long long past_row_line, past_row_values;
    long long null_line;
    long long after_table_line;
} logk_read_notes;
/* (A file that names its own nodes passes nothing over: every note is 0.) */

/* Which note: */
#define LOGK_NOTE_PAST_ROW 1    /* values past the 36th of a row */
#define LOGK_NOTE_NULL_VALUE 2  /* a null value: a cell left at 0.0 */
#define LOGK_NOTE_AFTER_TABLE 3 /* values after the table's 37 rows */

/* The one line that tells of a note, for a face's warning, from the notes,
 * the path as the caller gave it and which note:
 *   "data/q.dat, line 38: the line holds values after the table's 37 rows; they are not read, ..."
 * Writes at most size bytes, NUL included, cut at a character; returns the
 * length of the whole line, or 0 (and "") where the notes hold none of
 * that kind. */
size_t logk_read_note_line(const logk_read_notes *notes, int which, const char *path, char *line, size_t size);

/* logk_table_load_at, with the options' stop check (a read of a named pipe
 * that waits included: a stopped read fails with number 0), and what the
 * reading passed over in `notes` where it is not NULL. */
logk_table *logk_table_read(const char *path, const logk_options *options, logk_error *error, logk_place *place,
                            logk_read_notes *notes);

/* A table from 1332 values in file order: the 36 temperatures of the first
 * pressure node, then of the second, and so on. NULL (number 0) when values
 * is NULL or memory runs out. */
logk_table *logk_table_from_values(const double values[1332], logk_error *error);

/* Frees a table; NULL is allowed. */
void logk_table_free(logk_table *table);

/* ---- Tables on nodes of their own: the one statement of their rules ----
 *
 * A table may carry the nodes its data has in place of the fixed grid's:
 * pressures p(1) < ... < p(m) in bar and temperatures t(1) < ... < t(n) in
 * degrees Celsius, strictly ascending and finite; n >= 3; m >= 3, or m = 1
 * for a table along one line (log K along the saturation curve, as
 * databases list it: the pressure takes no part). Its values are m x n, a
 * row per pressure node; NaN marks a missing value (the vapour side, say);
 * infinite values are values. On such a table, every call below gives:
 *   - The stencil: in pressure the node nearest P (the lower of two at the
 *     same distance, each distance a double: with p(k) <= P < p(k+1), p(k)
 *     where P - p(k) <= p(k+1) - P; below p(1) the first node, above p(m)
 *     the last, NaN the first), as the middle of three, clamped to 2..m-1;
 *     pidx is the stencil's lowest node. In temperature the same, tidx the
 *     stencil's highest node (as on the fixed grid). Along one line pidx 1.
 *   - Missing values: where the stencil's nine values hold a NaN, the
 *     stencil moves up one pressure node at a time until it holds none:
 *     isoerr 'W'. Where no complete stencil lies above, log K is NaN and
 *     isoerr 'E', and pidx stays where it started (along one line, a NaN
 *     among the row's three values does the same). isoerr is 'E' also where
 *     P lies below the lowest pressure node that has a value at the
 *     temperature node nearest T (the table's lower limit there), whether
 *     or not the stencil moved.
 *   - pterr: 'N' within [p(1), p(m)] x [t(1), t(n)]; 'W' outside that but
 *     within one outermost node spacing (p(1) - (p(2) - p(1)) <= P <= p(m)
 *     + (p(m) - p(m-1)), the same in T, each bound a double); 'E' beyond,
 *     and for NaN. Along one line only T counts.
 *   - log K: the interpolation's order of operations over the stencil's
 *     nodes, as on the fixed grid, so the same inputs give the same bits on
 *     every face and machine; along one line, the temperature pass over the
 *     row's three values. The slopes as on the fixed grid (d log K / dP 0
 *     along one line). The one quiet NaN as everywhere.
 * A set's tables share their nodes and their missing values, so that each
 * point's stencil is that of every table. */

/* A table of nodes of its own: values[i * n_temperatures + j] at pressures[i]
 * and temperatures[j]. NULL, with what is wrong in error (number 0), for
 * nodes or counts the rules above refuse, NULL arrays, or no memory. */
logk_table *logk_table_from_grid(size_t n_pressures, const double *pressures, size_t n_temperatures,
                                 const double *temperatures, const double *values, logk_error *error);

/* A table's nodes, ascending, for as long as the table lives: the fixed
 * grid's 37 and 36 (as logk_grid_nodes) or its own. Any pointer may be NULL;
 * for a NULL table NULL and 0. */
void logk_table_nodes(const logk_table *table, const double **pressures, size_t *n_pressures,
                      const double **temperatures, size_t *n_temperatures);

/* Whether a table lies on nodes of its own (1) or on the fixed grid (0; 0
 * for NULL): a table of its own nodes follows their rules even where its
 * nodes are the fixed grid's. */
int logk_table_on_own_nodes(const logk_table *table);

/* The number of a table's values (1332 on the fixed grid, m x n on its own
 * nodes), and the values into `values`, in file order (a row per pressure
 * node); 0 and nothing for NULL. */
size_t logk_table_value_count(const logk_table *table);
void logk_table_values(const logk_table *table, double *values);

/* The grid's nodes: 37 pressures in bar and 36 temperatures in degrees
 * Celsius, ascending, for the life of the process. */
void logk_grid_nodes(const double **pressures, size_t *n_pressures, const double **temperatures,
                     size_t *n_temperatures);

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

/* The same on `workers` threads (as stated above): LOGK_DONE, or
 * LOGK_REFUSED with no output changed. */
int logk_interpolate_workers(const logk_table *table, size_t n, const double *P, const double *T, double *lk,
                             int *pidx, int *tidx, char *isoerr, char *pterr, int workers);
int logk_slopes_workers(const logk_table *table, size_t n, const double *P, const double *T, double *dlk_dT,
                        double *dlk_dP, int workers);

/* Where a batch call writes: any may be NULL (that output is not wanted).
 * lk and the slopes hold `count` values a point for a set of count
 * tables, point after point; the rest one a point. */
typedef struct logk_outputs {
    double *lk;
    int *pidx;
    int *tidx;
    char *isoerr;
    char *pterr;
    double *dlk_dT;
    double *dlk_dP;
} logk_outputs;

/* logk_interpolate and logk_slopes in one call, with the options: every
 * output asked for, on the options' workers, the stop check asked between
 * chunks. Returns LOGK_DONE, LOGK_STOPPED, LOGK_REFUSED or LOGK_NO_MEMORY
 * (as logk_interpolate fails), and where done is not NULL the points whose
 * every output is written (n but where stopped or refused). Nothing is done
 * when table, P, T or outputs is NULL. */
int logk_evaluate(const logk_table *table, size_t n, const double *P, const double *T, const logk_outputs *outputs,
                  const logk_options *options, size_t *done);

/* How the interpolation backwards found its answer, on every face (the
 * `how` below, Crossing::how in C++, the how of Python's and R's results):
 * the one statement of the four. */
#define LOGK_CROSSED 'C'     /* log K crosses the value inside one stencil, or takes it */
#define LOGK_JUMPED 'J'      /* log K jumps over it where the stencil changes: the answer is the first double past the jump */
#define LOGK_ROUNDING 'R'    /* rounding decides: see 'R' below */
#define LOGK_NOT_REACHED 'N' /* log K does not reach it in the range: the answer is NaN */

/* The words for each of the four, for a face's documentation or a
 * dataset's attributes; NULL for any other character. */
const char *logk_how_meaning(char how);

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

/* Both with the options: the points on the options' workers, with the
 * same bits whatever their number, and the stop check asked between
 * blocks of some milliseconds. Returns and counts as logk_evaluate; should
 * memory run out copying the inputs, every answer is NaN and 'N' and the
 * status LOGK_NO_MEMORY. */
int logk_solve_temperature(const logk_table *table, size_t n, const double *P, const double *lk, double T_low,
                           double T_high, double *T, char *how, const logk_options *options, size_t *done);
int logk_solve_pressure(const logk_table *table, size_t n, const double *T, const double *lk, double P_low,
                        double P_high, double *P, char *how, const logk_options *options, size_t *done);

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
 * NULL tables or a NULL among them, tables on different nodes (the fixed
 * grid and nodes of their own, or two tables' own nodes), tables on nodes of
 * their own that miss different values, or no memory. */
logk_table_set *logk_table_set_from_tables(const logk_table *const *tables, size_t count, logk_error *error);

/* A set from count * 1332 values: table after table, each in file order.
 * NULL (number 0) for a count of 0, NULL values, a count whose values no
 * address could hold ("a count of ... tables is too large"), or no memory. */
logk_table_set *logk_table_set_from_values(const double *values, size_t count, logk_error *error);

/* The number of tables; 0 for NULL. */
size_t logk_table_set_count(const logk_table_set *set);

/* The most tables a set can hold: their values would be beyond what an
 * address can count. */
size_t logk_table_set_most(void);

/* Table r of the set, as a table of its own (freed with logk_table_free);
 * NULL for NULL, an r out of range or no memory, with why in error. */
logk_table *logk_table_set_table(const logk_table_set *set, size_t r, logk_error *error);

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
int logk_table_set_interpolate_workers(const logk_table_set *set, size_t n, const double *P, const double *T,
                                       double *lk, int *pidx, int *tidx, char *isoerr, char *pterr, int workers);
int logk_table_set_slopes_workers(const logk_table_set *set, size_t n, const double *P, const double *T,
                                  double *dlk_dT, double *dlk_dP, int workers);

/* Every output in one call, with the options, as logk_evaluate. */
int logk_table_set_evaluate(const logk_table_set *set, size_t n, const double *P, const double *T,
                            const logk_outputs *outputs, const logk_options *options, size_t *done);

/* ---- Point lists and result lines ---- */

/* The points of a point list, read as the program reads PT.dat: a point
 * from the start of each line, a value left unset stays -9999.9, and a last
 * pressure without its temperature gives no point. NULL on failure, with
 * the error and where the reader stopped, as logk_table_read. Their count,
 * their pressures in bar and their temperatures in degrees Celsius (NULL
 * for NULL), for as long as the points live; logk_points_free frees them
 * (NULL is allowed). */
typedef struct logk_points logk_points;
logk_points *logk_points_read(const char *path, const logk_options *options, logk_error *error, logk_place *place);
size_t logk_points_count(const logk_points *points);
const double *logk_points_P(const logk_points *points);
const double *logk_points_T(const logk_points *points);
void logk_points_free(logk_points *points);

/* The 68 characters of logk.out's header line, NUL-terminated. */
const char *logk_header_line(void);

/* The 71 characters of a result line as the program writes it for the
 * point, NUL-terminated, into line. In logk.out the header and every line
 * end in CR LF. */
void logk_format_line(double P, double T, double lk, int pidx, int tidx, char isoerr, char pterr, char line[72]);

#ifdef __cplusplus
}
#endif

#endif
