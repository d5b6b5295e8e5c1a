/* The R package's glue: logk's C interface over R's vectors, and no rule of
 * its own. Each R call is one call of the library, which goes in chunks and
 * asks the stop check below between them; the glue converts types: NA kept
 * apart from NaN (a point with NA in either coordinate gets NA in every
 * output), a coordinate of length 1 recycled, the flags into character
 * vectors, a set's values point after point into an n x count matrix.
 * Tables and sets are external pointers with finalizers. The R code (R/)
 * checks and coerces the arguments and makes R's values. */
#define R_NO_REMAP  /* R names only as Rf_..., so that none stands for a word of this file */
#include <R.h>
#include <Rinterface.h> /* Rf_onintr: R's own answer to an interrupt */
#include <Rinternals.h>
#include <limits.h>
#include <string.h>

#include "logk/logk.h"

/* ---- Handles ---- */

static SEXP table_tag(void) { return Rf_install("logk_table"); }
static SEXP set_tag(void) { return Rf_install("logk_table_set"); }

static void free_table(SEXP handle) {
    logk_table *table = R_ExternalPtrAddr(handle);
    if (table != NULL) logk_table_free(table);
    R_ClearExternalPtr(handle);
}

static void free_set(SEXP handle) {
    logk_table_set *set = R_ExternalPtrAddr(handle);
    if (set != NULL) logk_table_set_free(set);
    R_ClearExternalPtr(handle);
}

/* An empty handle, made before the library makes what it will hold, so
 * that no failure of R's can leave that unfreed. */
static SEXP empty_handle(SEXP tag, R_CFinalizer_t finalizer) {
    SEXP handle = PROTECT(R_MakeExternalPtr(NULL, tag, R_NilValue));
    R_RegisterCFinalizerEx(handle, finalizer, TRUE);
    UNPROTECT(1);
    return handle;
}

/* The table or set behind a handle; `is_set` says which. */
static void *address_of(SEXP handle, int *is_set) {
    if (TYPEOF(handle) != EXTPTRSXP) Rf_error("not a logk table or set");
    SEXP tag = R_ExternalPtrTag(handle);
    if (tag != table_tag() && tag != set_tag()) Rf_error("not a logk table or set");
    void *address = R_ExternalPtrAddr(handle);
    if (address == NULL) Rf_error("the logk table's handle is empty");
    *is_set = tag == set_tag();
    return address;
}

static const logk_table *table_of(SEXP handle) {
    int is_set;
    void *address = address_of(handle, &is_set);
    if (is_set) Rf_error("a logk table is needed here, not a set");
    return address;
}

SEXP C_is_live(SEXP handle) {
    return Rf_ScalarLogical(TYPEOF(handle) == EXTPTRSXP && R_ExternalPtrAddr(handle) != NULL);
}

/* A list with names, its elements set afterwards. */
static SEXP named_list(int n, const char *const *names) {
    SEXP list = PROTECT(Rf_allocVector(VECSXP, n));
    SEXP words = PROTECT(Rf_allocVector(STRSXP, n));
    for (int k = 0; k < n; ++k) SET_STRING_ELT(words, k, Rf_mkChar(names[k]));
    Rf_setAttrib(list, R_NamesSymbol, words);
    UNPROTECT(2);
    return list;
}

/* ---- R's interrupt as the library's stop check ----
 *
 * R_CheckUserInterrupt answers a pending interrupt by leaving the function
 * that called it, which must never have the library's frames below it: so
 * it runs in a context of its own (R_ToplevelExec's), which it leaves
 * instead, and the check answers "stop". The interrupt is spent then; the
 * glue raises it again (Rf_onintr) once the library has returned. */
typedef struct {
    int interrupted;
} Stop;

static void check_interrupt(void *unused) {
    (void)unused;
    R_CheckUserInterrupt();
}

static int interrupt_pending(void *context) {
    Stop *stop = context;
    if (!stop->interrupted && !R_ToplevelExec(check_interrupt, NULL)) stop->interrupted = 1;
    return stop->interrupted;
}

/* `workers` as R gave it, a whole number: beyond an int's range it means
 * what the int nearest it means. */
static int workers_of(SEXP workers) {
    const double w = Rf_asReal(workers);
    return w <= (double)INT_MIN ? INT_MIN : w >= (double)INT_MAX ? INT_MAX : (int)w;
}

static logk_options options_of(int workers, Stop *stop) {
    stop->interrupted = 0;
    const logk_options options = {workers, interrupt_pending, stop};
    return options;
}

/* After a call of the library: R's interrupt where the check took one, an
 * error for a status that is no success. */
static void after_call(int status, const Stop *stop) {
    if (stop->interrupted) Rf_onintr();
    if (status != LOGK_DONE) Rf_error("%s", logk_status_text(status));
}

/* NULL where `workers` leaves a thread, or why it does not: the library's
 * words. */
SEXP C_workers_refused(SEXP workers) {
    logk_error error;
    if (logk_workers_threads(workers_of(workers), &error) > 0) return R_NilValue;
    return Rf_mkString(error.text);
}

/* ---- Tables and sets ---- */

static const char *const read_names[] = {"handle", "notes"};
static const char *const failure_names[] = {"number", "text", "line", "column", "class", "message"};

/* The class of the condition for a message number, by the library's kind;
 * "" for a plain logk_error. */
static const char *condition_class(int number) {
    switch (logk_message_kind(number)) {
        case LOGK_NOT_FOUND: return "logk_file_not_found";
        case LOGK_PERMISSION: return "logk_permission_denied";
        case LOGK_NOTATION: return "logk_notation_error";
        default: return "";
    }
}

/* The library's one line for a failure, of any length. */
static SEXP failure_line(const logk_error *error, const logk_place *place, const char *path) {
    char line[1024];
    const size_t length = logk_failure_line(error, place, path, LOGK_UNIT_TABLE, line, sizeof line);
    if (length < sizeof line) return Rf_mkString(line);
    char *whole = R_alloc(length + 1, 1);
    logk_failure_line(error, place, path, LOGK_UNIT_TABLE, whole, length + 1);
    return Rf_mkString(whole);
}

/* A table from a file: list(handle, notes) with the notes of its reading
 * (past_row_line, past_row_values, null_line, after_table_line), or the
 * failure: list(number, text, line, column, class, message). A read that
 * waits on a pipe answers R's interrupt. */
SEXP C_table_read(SEXP path) {
    const char *given = Rf_translateChar(STRING_ELT(path, 0));
    const char *name = R_ExpandFileName(given);
    SEXP handle = PROTECT(empty_handle(table_tag(), free_table));
    Stop stop;
    const logk_options options = options_of(1, &stop);
    logk_error error;
    logk_place place;
    logk_read_notes notes;
    logk_table *table = logk_table_read(name, &options, &error, &place, &notes);
    R_SetExternalPtrAddr(handle, table);
    if (stop.interrupted) Rf_onintr();
    if (table != NULL) {
        SEXP read = PROTECT(named_list(2, read_names));
        SET_VECTOR_ELT(read, 0, handle);
        SEXP noted = SET_VECTOR_ELT(read, 1, Rf_allocVector(REALSXP, 4));
        const long long each[4] = {notes.past_row_line, notes.past_row_values, notes.null_line,
                                   notes.after_table_line};
        for (int k = 0; k < 4; ++k) REAL(noted)[k] = (double)each[k];
        UNPROTECT(2);
        return read;
    }
    SEXP failure = PROTECT(named_list(6, failure_names));
    SET_VECTOR_ELT(failure, 0, Rf_ScalarInteger(error.number));
    SET_VECTOR_ELT(failure, 1, Rf_mkString(error.text));
    SET_VECTOR_ELT(failure, 2, Rf_ScalarReal((double)place.line));
    SET_VECTOR_ELT(failure, 3, Rf_ScalarReal((double)place.column));
    SET_VECTOR_ELT(failure, 4, Rf_mkString(condition_class(error.number)));
    SET_VECTOR_ELT(failure, 5, failure_line(&error, &place, given));
    UNPROTECT(2);
    return failure;
}

/* A table from 1332 values in file order. */
SEXP C_table_from_values(SEXP values) {
    if (TYPEOF(values) != REALSXP || XLENGTH(values) != 1332) Rf_error("a table needs 1332 values");
    SEXP handle = PROTECT(empty_handle(table_tag(), free_table));
    logk_error error;
    logk_table *table = logk_table_from_values(REAL(values), &error);
    if (table == NULL) Rf_error("%s", error.text);
    R_SetExternalPtrAddr(handle, table);
    UNPROTECT(1);
    return handle;
}

/* A table on nodes of its own from its nodes and its values a row per
 * pressure node, or the library's words for why it is none. */
SEXP C_table_from_grid(SEXP pressures, SEXP temperatures, SEXP values) {
    if (TYPEOF(pressures) != REALSXP || TYPEOF(temperatures) != REALSXP || TYPEOF(values) != REALSXP) {
        Rf_error("a table's nodes and values are doubles");
    }
    if (XLENGTH(values) != XLENGTH(pressures) * XLENGTH(temperatures)) Rf_error("a table's values are m x n");
    SEXP handle = PROTECT(empty_handle(table_tag(), free_table));
    logk_error error;
    logk_table *table = logk_table_from_grid((size_t)XLENGTH(pressures), REAL(pressures), (size_t)XLENGTH(temperatures),
                                             REAL(temperatures), REAL(values), &error);
    UNPROTECT(1);
    if (table == NULL) return Rf_mkString(error.text);
    R_SetExternalPtrAddr(handle, table);
    return handle;
}

/* A table's nodes: list(pressures, temperatures). */
SEXP C_table_nodes(SEXP handle) {
    static const char *const names[] = {"pressures", "temperatures"};
    const double *pressures, *temperatures;
    size_t m, n;
    logk_table_nodes(table_of(handle), &pressures, &m, &temperatures, &n);
    SEXP nodes = PROTECT(named_list(2, names));
    SEXP P = SET_VECTOR_ELT(nodes, 0, Rf_allocVector(REALSXP, (R_xlen_t)m));
    SEXP T = SET_VECTOR_ELT(nodes, 1, Rf_allocVector(REALSXP, (R_xlen_t)n));
    if (m > 0) memcpy(REAL(P), pressures, m * sizeof(double));
    if (n > 0) memcpy(REAL(T), temperatures, n * sizeof(double));
    UNPROTECT(1);
    return nodes;
}

/* Whether a table lies on nodes of its own rather than on the fixed grid
 * (a file may name the fixed grid's very nodes). */
SEXP C_on_own_nodes(SEXP handle) { return Rf_ScalarLogical(logk_table_on_own_nodes(table_of(handle))); }

/* A table's values in file order. */
SEXP C_table_values(SEXP handle) {
    const logk_table *table = table_of(handle);
    SEXP values = PROTECT(Rf_allocVector(REALSXP, (R_xlen_t)logk_table_value_count(table)));
    logk_table_values(table, REAL(values));
    UNPROTECT(1);
    return values;
}

/* A set of copies of the tables of a list of handles, or the library's
 * words for why they make none. */
SEXP C_set_from_tables(SEXP tables) {
    const R_xlen_t count = XLENGTH(tables);
    const logk_table **each = (const logk_table **)R_alloc((size_t)count, sizeof *each);
    for (R_xlen_t r = 0; r < count; ++r) each[r] = table_of(VECTOR_ELT(tables, r));
    SEXP handle = PROTECT(empty_handle(set_tag(), free_set));
    logk_error error;
    logk_table_set *set = logk_table_set_from_tables(each, (size_t)count, &error);
    UNPROTECT(1);
    if (set == NULL) return Rf_mkString(error.text);
    R_SetExternalPtrAddr(handle, set);
    return handle;
}

/* ---- Points ---- */

/* A coordinate of n points: its own values, or its one value n times. */
static const double *coordinate(SEXP values, R_xlen_t n) {
    if (XLENGTH(values) == n) return REAL(values);
    if (XLENGTH(values) != 1) Rf_error("a coordinate of %.0f values for %.0f points", (double)XLENGTH(values), (double)n);
    double *repeated = (double *)R_alloc((size_t)n, sizeof(double));
    for (R_xlen_t i = 0; i < n; ++i) repeated[i] = REAL(values)[0];
    return repeated;
}

/* The first point from `first` with R's NA (not any NaN) in either
 * coordinate, or n: looked for among the NaNs alone, which are rare, after
 * one pass the compiler makes vectors of, so that points without any cost
 * next to nothing. */
static R_xlen_t next_na(const double *a, const double *b, R_xlen_t first, R_xlen_t n) {
    if (first == 0) {
        int nan = 0;
        for (R_xlen_t i = 0; i < n; ++i) nan |= (a[i] != a[i]) | (b[i] != b[i]);
        if (!nan) return n;
    }
    for (R_xlen_t i = first; i < n; ++i) {
        if ((a[i] != a[i] || b[i] != b[i]) && (ISNA(a[i]) || ISNA(b[i]))) return i;
    }
    return n;
}

static SEXP flag_string(char flag) {
    const char text[2] = {flag, '\0'};
    return Rf_mkChar(text);
}

/* Flags into a character vector: the three the library gives made once. */
static void put_flags(SEXP out, const char *flags, R_xlen_t n) {
    SEXP N = PROTECT(flag_string('N')), W = PROTECT(flag_string('W')), E = PROTECT(flag_string('E'));
    for (R_xlen_t i = 0; i < n; ++i) {
        const char f = flags[i];
        SET_STRING_ELT(out, i, f == 'N' ? N : f == 'W' ? W : f == 'E' ? E : flag_string(f));
    }
    UNPROTECT(3);
}

/* A set's values, point after point as the library writes them, into the
 * columns of an n x count matrix: a block of points at a time, whose
 * values stay in the cache while each column takes its own. */
static void into_columns(const double *by_point, R_xlen_t n, R_xlen_t count, double *columns) {
    enum { BLOCK = 1024 };
    for (R_xlen_t first = 0; first < n; first += BLOCK) {
        const R_xlen_t end = n - first < BLOCK ? n : first + BLOCK;
        for (R_xlen_t r = 0; r < count; ++r) {
            double *column = columns + r * n;
            for (R_xlen_t i = first; i < end; ++i) column[i] = by_point[i * count + r];
        }
    }
}

/* log K (what 0), every output of interpolate (what 1) or the slopes (what
 * 2) at n points, for a table (a vector of log K) or a set (an n x count
 * matrix, a column a table): list(lk, pidx, tidx, isoerr, pterr) or
 * list(dlk_dT, dlk_dP), the rest NULL. P and T hold n values, or one. */
SEXP C_evaluate(SEXP handle, SEXP P, SEXP T, SEXP points, SEXP what_code, SEXP workers) {
    int is_set;
    void *tables = address_of(handle, &is_set);
    const int what = Rf_asInteger(what_code);
    const R_xlen_t n = (R_xlen_t)Rf_asReal(points);
    const R_xlen_t count = is_set ? (R_xlen_t)logk_table_set_count(tables) : 1;
    SEXP result = PROTECT(Rf_allocVector(VECSXP, 5));
    double *values[2] = {NULL, NULL}; /* lk, or the two slopes */
    double *written[2] = {NULL, NULL}; /* where the library writes them */
    for (int k = 0; k < (what == 2 ? 2 : 1); ++k) {
        SEXP v = is_set ? Rf_allocMatrix(REALSXP, (int)n, (int)count) : Rf_allocVector(REALSXP, n);
        SET_VECTOR_ELT(result, k, v);
        values[k] = REAL(v);
        written[k] = count == 1 ? values[k] : (double *)R_alloc((size_t)(n * count), sizeof(double));
    }
    logk_outputs outputs = {NULL, NULL, NULL, NULL, NULL, NULL, NULL};
    SEXP isoerr = R_NilValue, pterr = R_NilValue;
    if (what == 2) {
        outputs.dlk_dT = written[0];
        outputs.dlk_dP = written[1];
    } else {
        outputs.lk = written[0];
    }
    if (what == 1) {
        outputs.pidx = INTEGER(SET_VECTOR_ELT(result, 1, Rf_allocVector(INTSXP, n)));
        outputs.tidx = INTEGER(SET_VECTOR_ELT(result, 2, Rf_allocVector(INTSXP, n)));
        isoerr = SET_VECTOR_ELT(result, 3, Rf_allocVector(STRSXP, n));
        pterr = SET_VECTOR_ELT(result, 4, Rf_allocVector(STRSXP, n));
        outputs.isoerr = R_alloc((size_t)n + 1, 1);
        outputs.pterr = R_alloc((size_t)n + 1, 1);
    }
    if (n == 0) {
        UNPROTECT(1);
        return result;
    }
    const double *Pn = coordinate(P, n), *Tn = coordinate(T, n);
    Stop stop;
    const logk_options options = options_of(workers_of(workers), &stop);
    after_call(is_set ? logk_table_set_evaluate(tables, (size_t)n, Pn, Tn, &outputs, &options, NULL)
                      : logk_evaluate(tables, (size_t)n, Pn, Tn, &outputs, &options, NULL),
               &stop);
    for (int k = 0; k < 2; ++k) {
        if (values[k] != written[k]) into_columns(written[k], n, count, values[k]);
    }
    if (what == 1) {
        put_flags(isoerr, outputs.isoerr, n);
        put_flags(pterr, outputs.pterr, n);
    }
    for (R_xlen_t i = next_na(Pn, Tn, 0, n); i < n; i = next_na(Pn, Tn, i + 1, n)) {
        for (int k = 0; k < 2; ++k) {
            for (R_xlen_t r = 0; values[k] != NULL && r < count; ++r) values[k][r * n + i] = NA_REAL;
        }
        if (what == 1) {
            outputs.pidx[i] = outputs.tidx[i] = NA_INTEGER;
            SET_STRING_ELT(isoerr, i, NA_STRING);
            SET_STRING_ELT(pterr, i, NA_STRING);
        }
    }
    UNPROTECT(1);
    return result;
}

/* The temperature (along_T) or pressure at which log K takes lk[i] at
 * fixed[i], between low and high, at n points: list(at, how). */
SEXP C_solve(SEXP handle, SEXP along_T, SEXP fixed, SEXP lk, SEXP points, SEXP between, SEXP workers) {
    const logk_table *table = table_of(handle);
    const R_xlen_t n = (R_xlen_t)Rf_asReal(points);
    const double low = REAL(between)[0], high = REAL(between)[1];
    SEXP result = PROTECT(Rf_allocVector(VECSXP, 2));
    double *at = REAL(SET_VECTOR_ELT(result, 0, Rf_allocVector(REALSXP, n)));
    SEXP how = SET_VECTOR_ELT(result, 1, Rf_allocVector(STRSXP, n));
    if (n == 0) {
        UNPROTECT(1);
        return result;
    }
    const double *x = coordinate(fixed, n), *y = coordinate(lk, n);
    char *ways = R_alloc((size_t)n, 1);
    Stop stop;
    const logk_options options = options_of(workers_of(workers), &stop);
    after_call(Rf_asLogical(along_T)
                   ? logk_solve_temperature(table, (size_t)n, x, y, low, high, at, ways, &options, NULL)
                   : logk_solve_pressure(table, (size_t)n, x, y, low, high, at, ways, &options, NULL),
               &stop);
    put_flags(how, ways, n);
    for (R_xlen_t i = next_na(x, y, 0, n); i < n; i = next_na(x, y, i + 1, n)) {
        at[i] = NA_REAL;
        SET_STRING_ELT(how, i, NA_STRING);
    }
    UNPROTECT(1);
    return result;
}

/* ---- The library itself ---- */

SEXP C_version(void) { return Rf_mkString(logk_version()); }

/* list(build, note): the build of the batch loop in use, and why it is not
 * the one LOGK_CPU asked for ("" where nothing needs saying). */
SEXP C_build(void) {
    static const char *const names[] = {"build", "note"};
    SEXP build = PROTECT(named_list(2, names));
    SET_VECTOR_ELT(build, 0, Rf_mkString(logk_build()));
    SET_VECTOR_ELT(build, 1, Rf_mkString(logk_build_note()));
    UNPROTECT(1);
    return build;
}

/* The library's words for a `how` of the interpolation backwards. */
/* The line a warning shows for one note of a read (which: 1 values past a
 * row, 2 a null value, 3 values after the table), in the library's words;
 * "" where there is none. notes: c(past_row_line, past_row_values,
 * null_line, after_table_line). */
SEXP C_note_line(SEXP noted, SEXP which, SEXP path) {
    if (TYPEOF(noted) != REALSXP || XLENGTH(noted) != 4) Rf_error("four numbers of notes are needed");
    const double *n = REAL(noted);
    const logk_read_notes notes = {(long long)n[0], (long long)n[1], (long long)n[2], (long long)n[3]};
    const char *shown = Rf_translateChar(STRING_ELT(path, 0));
    const size_t length = logk_read_note_line(&notes, Rf_asInteger(which), shown, NULL, 0);
    char *line = R_alloc(length + 1, 1);
    logk_read_note_line(&notes, Rf_asInteger(which), shown, line, length + 1);
    return Rf_mkString(line);
}

SEXP C_how_meaning(SEXP how) {
    const char *meaning = logk_how_meaning(Rf_translateChar(STRING_ELT(how, 0))[0]);
    return meaning == NULL ? Rf_ScalarString(NA_STRING) : Rf_mkString(meaning);
}

/* ---- The C interface called once, for the tests and the benchmark ---- */

/* logk_interpolate (what 0: log K alone; 1: every output) or the set's on
 * P and T as they are, in one call: list(lk point after point, pidx, tidx,
 * isoerr, pterr), the flags as their character codes. */
SEXP C_interpolate_once(SEXP handle, SEXP P, SEXP T, SEXP what_code) {
    int is_set;
    void *tables = address_of(handle, &is_set);
    const R_xlen_t n = XLENGTH(P);
    if (XLENGTH(T) != n) Rf_error("P and T must be as long");
    const R_xlen_t count = is_set ? (R_xlen_t)logk_table_set_count(tables) : 1;
    const int all = Rf_asInteger(what_code) == 1;
    SEXP result = PROTECT(Rf_allocVector(VECSXP, 5));
    SET_VECTOR_ELT(result, 0, Rf_allocVector(REALSXP, n * count));
    int *out[4] = {NULL, NULL, NULL, NULL};
    char *flags[2] = {NULL, NULL};
    if (all) {
        for (int k = 0; k < 4; ++k) {
            SET_VECTOR_ELT(result, k + 1, Rf_allocVector(INTSXP, n));
            out[k] = INTEGER(VECTOR_ELT(result, k + 1));
        }
        flags[0] = R_alloc((size_t)(n > 0 ? n : 1), 1);
        flags[1] = R_alloc((size_t)(n > 0 ? n : 1), 1);
    }
    double *lk = REAL(VECTOR_ELT(result, 0));
    if (is_set) {
        logk_table_set_interpolate(tables, (size_t)n, REAL(P), REAL(T), lk, out[0], out[1], flags[0], flags[1]);
    } else {
        logk_interpolate(tables, (size_t)n, REAL(P), REAL(T), lk, out[0], out[1], flags[0], flags[1]);
    }
    for (int k = 0; all && k < 2; ++k) {
        for (R_xlen_t i = 0; i < n; ++i) out[k + 2][i] = (unsigned char)flags[k][i];
    }
    UNPROTECT(1);
    return result;
}

/* log K of a table into `out`, a vector as long as P and T that R made
 * before, in one call: the C interface where a caller keeps its arrays. */
SEXP C_logk_into(SEXP handle, SEXP P, SEXP T, SEXP out) {
    const logk_table *table = table_of(handle);
    if (XLENGTH(T) != XLENGTH(P) || XLENGTH(out) != XLENGTH(P)) Rf_error("P, T and out must be as long");
    logk_interpolate(table, (size_t)XLENGTH(P), REAL(P), REAL(T), REAL(out), NULL, NULL, NULL, NULL);
    return R_NilValue;
}

/* logk_slopes or the set's, once: list(dlk_dT, dlk_dP), point after point. */
SEXP C_slopes_once(SEXP handle, SEXP P, SEXP T) {
    int is_set;
    void *tables = address_of(handle, &is_set);
    const R_xlen_t n = XLENGTH(P);
    if (XLENGTH(T) != n) Rf_error("P and T must be as long");
    const R_xlen_t count = is_set ? (R_xlen_t)logk_table_set_count(tables) : 1;
    SEXP result = PROTECT(Rf_allocVector(VECSXP, 2));
    SET_VECTOR_ELT(result, 0, Rf_allocVector(REALSXP, n * count));
    SET_VECTOR_ELT(result, 1, Rf_allocVector(REALSXP, n * count));
    double *dT = REAL(VECTOR_ELT(result, 0)), *dP = REAL(VECTOR_ELT(result, 1));
    if (is_set) {
        logk_table_set_slopes(tables, (size_t)n, REAL(P), REAL(T), dT, dP);
    } else {
        logk_slopes(tables, (size_t)n, REAL(P), REAL(T), dT, dP);
    }
    UNPROTECT(1);
    return result;
}

/* logk_temperature_at or logk_pressure_at, once: list(at, how codes). */
SEXP C_crossing_once(SEXP handle, SEXP along_T, SEXP fixed, SEXP lk, SEXP low, SEXP high) {
    const logk_table *table = table_of(handle);
    const R_xlen_t n = XLENGTH(fixed);
    if (XLENGTH(lk) != n) Rf_error("the points and the values must be as many");
    SEXP result = PROTECT(Rf_allocVector(VECSXP, 2));
    SET_VECTOR_ELT(result, 0, Rf_allocVector(REALSXP, n));
    SET_VECTOR_ELT(result, 1, Rf_allocVector(INTSXP, n));
    char *ways = R_alloc((size_t)(n > 0 ? n : 1), 1);
    double *at = REAL(VECTOR_ELT(result, 0));
    if (Rf_asLogical(along_T)) {
        logk_temperature_at(table, (size_t)n, REAL(fixed), REAL(lk), Rf_asReal(low), Rf_asReal(high), at, ways);
    } else {
        logk_pressure_at(table, (size_t)n, REAL(fixed), REAL(lk), Rf_asReal(low), Rf_asReal(high), at, ways);
    }
    for (R_xlen_t i = 0; i < n; ++i) INTEGER(VECTOR_ELT(result, 1))[i] = (unsigned char)ways[i];
    UNPROTECT(1);
    return result;
}
