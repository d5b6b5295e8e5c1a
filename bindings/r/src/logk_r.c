/* The R package's glue: logk's C interface over R's vectors. Tables and
 * sets are external pointers with finalizers; the calls go in chunks, with
 * R's interrupt checked between them (R_CheckUserInterrupt may leave the
 * function at once, so everything here is R's own memory, which R frees
 * then); a point with NA in either coordinate gets NA in every output. The
 * R code (R/) checks and coerces the arguments and makes R's values. */
#define R_NO_REMAP  /* R names only as Rf_..., so that none stands for a word of this file */
#include <R.h>
#include <Rinternals.h>
#include <string.h>

#include "logk/logk.h"

/* Values (points times tables) a chunk: some milliseconds of interpolation;
 * and points a chunk of the search, whose slowest take a fraction of a
 * second. */
#define CHUNK 65536
#define SEARCH_CHUNK 1024

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

static SEXP handle_of(void *address, SEXP tag, R_CFinalizer_t finalizer) {
    SEXP handle = PROTECT(R_MakeExternalPtr(address, tag, R_NilValue));
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

/* A table from a file, or the failure: list(number, text, line, column). */
SEXP C_table_load(SEXP path) {
    const char *name = R_ExpandFileName(Rf_translateChar(STRING_ELT(path, 0)));
    logk_error error;
    logk_place place;
    logk_table *table = logk_table_load_at(name, &error, &place);
    if (table != NULL) return handle_of(table, table_tag(), free_table);
    SEXP failure = PROTECT(Rf_allocVector(VECSXP, 4));
    SET_VECTOR_ELT(failure, 0, Rf_ScalarInteger(error.number));
    SET_VECTOR_ELT(failure, 1, Rf_mkString(error.text));
    SET_VECTOR_ELT(failure, 2, Rf_ScalarReal((double)place.line));
    SET_VECTOR_ELT(failure, 3, Rf_ScalarReal((double)place.column));
    UNPROTECT(1);
    return failure;
}

/* A table from 1332 values in file order. */
SEXP C_table_from_values(SEXP values) {
    if (TYPEOF(values) != REALSXP || XLENGTH(values) != 1332) Rf_error("a table needs 1332 values");
    logk_error error;
    logk_table *table = logk_table_from_values(REAL(values), &error);
    if (table == NULL) Rf_error("%s", error.text);
    return handle_of(table, table_tag(), free_table);
}

/* A set of copies of the tables of a list of handles. */
SEXP C_set_from_tables(SEXP tables) {
    const R_xlen_t count = XLENGTH(tables);
    const logk_table **each = (const logk_table **)R_alloc((size_t)count, sizeof *each);
    for (R_xlen_t r = 0; r < count; ++r) each[r] = table_of(VECTOR_ELT(tables, r));
    logk_error error;
    logk_table_set *set = logk_table_set_from_tables(each, (size_t)count, &error);
    if (set == NULL) Rf_error("%s", error.text);
    return handle_of(set, set_tag(), free_set);
}

/* ---- Points ---- */

/* One coordinate of the points, of length n or 1 (recycled). */
typedef struct {
    const double *values;
    R_xlen_t length;
    double *repeated; /* a chunk of the one value, where length is 1 */
} Coordinate;

static Coordinate coordinate(SEXP values, R_xlen_t chunk) {
    Coordinate c = {REAL(values), XLENGTH(values), NULL};
    if (c.length == 1) {
        c.repeated = (double *)R_alloc((size_t)chunk, sizeof(double));
        for (R_xlen_t i = 0; i < chunk; ++i) c.repeated[i] = c.values[0];
    }
    return c;
}

static const double *from(const Coordinate *c, R_xlen_t first) {
    return c->repeated != NULL ? c->repeated : c->values + first;
}

/* R's NA, not any NaN: looked for only among the NaNs, which are rare. */
static int is_na(const Coordinate *c, R_xlen_t i) {
    const double v = c->values[c->length == 1 ? 0 : i];
    return ISNAN(v) && ISNA(v);
}

/* Whether any point of a chunk has a NaN (NA among them) in a coordinate:
 * one pass the compiler makes vectors of, so that a chunk without any
 * costs next to nothing. */
static int any_nan(const double *values, R_xlen_t m) {
    int found = 0;
    for (R_xlen_t i = 0; i < m; ++i) found |= values[i] != values[i];
    return found;
}

static SEXP flag_string(char flag) {
    const char text[2] = {flag, '\0'};
    return Rf_mkChar(text);
}

/* Flags of a chunk into a character vector: the three the library gives
 * made once. */
static void put_flags(SEXP out, R_xlen_t first, R_xlen_t m, const char *flags) {
    SEXP N = PROTECT(flag_string('N')), W = PROTECT(flag_string('W')), E = PROTECT(flag_string('E'));
    for (R_xlen_t i = 0; i < m; ++i) {
        const char f = flags[i];
        SET_STRING_ELT(out, first + i, f == 'N' ? N : f == 'W' ? W : f == 'E' ? E : flag_string(f));
    }
    UNPROTECT(3);
}

/* log K (what 0), every output of interpolate (what 1) or the slopes (what
 * 2) at n points, for a table (a vector of log K) or a set (an n x count
 * matrix, a column a table): list(lk, pidx, tidx, isoerr, pterr) or
 * list(dlk_dT, dlk_dP), the rest NULL. */
SEXP C_interpolate(SEXP handle, SEXP P, SEXP T, SEXP what_code, SEXP workers_code) {
    int is_set;
    void *tables = address_of(handle, &is_set);
    const int what = Rf_asInteger(what_code), workers = Rf_asInteger(workers_code);
    const R_xlen_t n = XLENGTH(P) == 0 || XLENGTH(T) == 0 ? 0 : (XLENGTH(P) > XLENGTH(T) ? XLENGTH(P) : XLENGTH(T));
    const R_xlen_t count = is_set ? (R_xlen_t)logk_table_set_count(tables) : 1;
    const R_xlen_t most = CHUNK / count > 0 ? CHUNK / count : 1;
    const R_xlen_t chunk = n < most ? (n > 0 ? n : 1) : most;
    Coordinate p = coordinate(P, chunk), t = coordinate(T, chunk);

    SEXP result = PROTECT(Rf_allocVector(VECSXP, 5));
    double *values[2] = {NULL, NULL}; /* lk, or the two slopes: n x count */
    int *pidx = NULL, *tidx = NULL;
    SEXP isoerr = R_NilValue, pterr = R_NilValue;
    for (int k = 0; k < (what == 2 ? 2 : 1); ++k) {
        SEXP column = is_set ? Rf_allocMatrix(REALSXP, (int)n, (int)count) : Rf_allocVector(REALSXP, n);
        SET_VECTOR_ELT(result, k, column);
        values[k] = REAL(column);
    }
    if (what == 1) {
        SET_VECTOR_ELT(result, 1, Rf_allocVector(INTSXP, n));
        SET_VECTOR_ELT(result, 2, Rf_allocVector(INTSXP, n));
        SET_VECTOR_ELT(result, 3, isoerr = Rf_allocVector(STRSXP, n));
        SET_VECTOR_ELT(result, 4, pterr = Rf_allocVector(STRSXP, n));
        pidx = INTEGER(VECTOR_ELT(result, 1));
        tidx = INTEGER(VECTOR_ELT(result, 2));
    }
    /* A set writes its values point after point: into a chunk's buffer,
     * then into the matrix's columns. */
    double *buffer[2] = {NULL, NULL};
    for (int k = 0; k < 2; ++k) {
        if (values[k] != NULL && is_set) buffer[k] = (double *)R_alloc((size_t)(chunk * count), sizeof(double));
    }
    char *iso = what == 1 ? R_alloc((size_t)chunk, 1) : NULL, *pt = what == 1 ? R_alloc((size_t)chunk, 1) : NULL;

    for (R_xlen_t first = 0; first < n; first += chunk) {
        const R_xlen_t m = n - first < chunk ? n - first : chunk;
        const double *Pc = from(&p, first), *Tc = from(&t, first);
        double *out[2];
        for (int k = 0; k < 2; ++k) out[k] = buffer[k] != NULL ? buffer[k] : (values[k] != NULL ? values[k] + first : NULL);
        int *pi = pidx != NULL ? pidx + first : NULL, *ti = tidx != NULL ? tidx + first : NULL;
        if (what == 2) {
            if (is_set) {
                logk_table_set_slopes_workers(tables, (size_t)m, Pc, Tc, out[0], out[1], workers);
            } else {
                logk_slopes_workers(tables, (size_t)m, Pc, Tc, out[0], out[1], workers);
            }
        } else if (is_set) {
            logk_table_set_interpolate_workers(tables, (size_t)m, Pc, Tc, out[0], pi, ti, iso, pt, workers);
        } else {
            logk_interpolate_workers(tables, (size_t)m, Pc, Tc, out[0], pi, ti, iso, pt, workers);
        }
        for (int k = 0; k < 2; ++k) {
            if (buffer[k] == NULL) continue;
            for (R_xlen_t r = 0; r < count; ++r) {
                double *column = values[k] + r * n + first;
                for (R_xlen_t i = 0; i < m; ++i) column[i] = buffer[k][i * count + r];
            }
        }
        if (what == 1) {
            put_flags(isoerr, first, m, iso);
            put_flags(pterr, first, m, pt);
        }
        const R_xlen_t checked = any_nan(Pc, m) || any_nan(Tc, m) ? m : 0;
        for (R_xlen_t i = 0; i < checked; ++i) {
            const R_xlen_t at = first + i;
            if (!is_na(&p, at) && !is_na(&t, at)) continue;
            for (int k = 0; k < 2; ++k) {
                if (values[k] == NULL) continue;
                for (R_xlen_t r = 0; r < count; ++r) values[k][r * n + at] = NA_REAL;
            }
            if (what == 1) {
                pidx[at] = tidx[at] = NA_INTEGER;
                SET_STRING_ELT(isoerr, at, NA_STRING);
                SET_STRING_ELT(pterr, at, NA_STRING);
            }
        }
        R_CheckUserInterrupt();
    }
    UNPROTECT(1);
    return result;
}

/* The temperature (along_T) or pressure at which log K takes lk[i] at
 * fixed[i], between low and high: list(at, how). */
SEXP C_crossing(SEXP handle, SEXP along_T, SEXP fixed, SEXP lk, SEXP low, SEXP high) {
    const logk_table *table = table_of(handle);
    const R_xlen_t n =
        XLENGTH(fixed) == 0 || XLENGTH(lk) == 0 ? 0 : (XLENGTH(fixed) > XLENGTH(lk) ? XLENGTH(fixed) : XLENGTH(lk));
    const R_xlen_t chunk = n < SEARCH_CHUNK ? (n > 0 ? n : 1) : SEARCH_CHUNK;
    Coordinate x = coordinate(fixed, chunk), y = coordinate(lk, chunk);
    const double from_low = Rf_asReal(low), to_high = Rf_asReal(high);
    SEXP result = PROTECT(Rf_allocVector(VECSXP, 2));
    SEXP at = Rf_allocVector(REALSXP, n);
    SET_VECTOR_ELT(result, 0, at);
    SEXP how = Rf_allocVector(STRSXP, n);
    SET_VECTOR_ELT(result, 1, how);
    char *ways = R_alloc((size_t)chunk, 1);
    for (R_xlen_t first = 0; first < n; first += chunk) {
        const R_xlen_t m = n - first < chunk ? n - first : chunk;
        if (Rf_asLogical(along_T)) {
            logk_temperature_at(table, (size_t)m, from(&x, first), from(&y, first), from_low, to_high, REAL(at) + first, ways);
        } else {
            logk_pressure_at(table, (size_t)m, from(&x, first), from(&y, first), from_low, to_high, REAL(at) + first, ways);
        }
        put_flags(how, first, m, ways);
        for (R_xlen_t i = first; i < first + m; ++i) {
            if (!is_na(&x, i) && !is_na(&y, i)) continue;
            REAL(at)[i] = NA_REAL;
            SET_STRING_ELT(how, i, NA_STRING);
        }
        R_CheckUserInterrupt();
    }
    UNPROTECT(1);
    return result;
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
