/* The package's native routines, registered by name, and no others. */
#define R_NO_REMAP  /* R names only as Rf_..., so that none stands for a word of this file */
#include <R.h>
#include <R_ext/Rdynload.h>
#include <Rinternals.h>

SEXP C_is_live(SEXP);
SEXP C_workers_refused(SEXP);
SEXP C_table_read(SEXP);
SEXP C_table_from_values(SEXP);
SEXP C_table_from_grid(SEXP, SEXP, SEXP);
SEXP C_table_nodes(SEXP);
SEXP C_on_own_nodes(SEXP);
SEXP C_table_values(SEXP);
SEXP C_set_from_tables(SEXP);
SEXP C_evaluate(SEXP, SEXP, SEXP, SEXP, SEXP, SEXP);
SEXP C_solve(SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP);
SEXP C_version(void);
SEXP C_build(void);
SEXP C_how_meaning(SEXP);
SEXP C_note_line(SEXP, SEXP, SEXP);
SEXP C_interpolate_once(SEXP, SEXP, SEXP, SEXP);
SEXP C_slopes_once(SEXP, SEXP, SEXP);
SEXP C_logk_into(SEXP, SEXP, SEXP, SEXP);
SEXP C_crossing_once(SEXP, SEXP, SEXP, SEXP, SEXP, SEXP);

static const R_CallMethodDef routines[] = {
    {"C_is_live", (DL_FUNC)&C_is_live, 1},
    {"C_workers_refused", (DL_FUNC)&C_workers_refused, 1},
    {"C_table_read", (DL_FUNC)&C_table_read, 1},
    {"C_table_from_values", (DL_FUNC)&C_table_from_values, 1},
    {"C_table_from_grid", (DL_FUNC)&C_table_from_grid, 3},
    {"C_table_nodes", (DL_FUNC)&C_table_nodes, 1},
    {"C_on_own_nodes", (DL_FUNC)&C_on_own_nodes, 1},
    {"C_table_values", (DL_FUNC)&C_table_values, 1},
    {"C_set_from_tables", (DL_FUNC)&C_set_from_tables, 1},
    {"C_evaluate", (DL_FUNC)&C_evaluate, 6},
    {"C_solve", (DL_FUNC)&C_solve, 7},
    {"C_version", (DL_FUNC)&C_version, 0},
    {"C_build", (DL_FUNC)&C_build, 0},
    {"C_how_meaning", (DL_FUNC)&C_how_meaning, 1},
    {"C_note_line", (DL_FUNC)&C_note_line, 3},
    {"C_interpolate_once", (DL_FUNC)&C_interpolate_once, 4},
    {"C_slopes_once", (DL_FUNC)&C_slopes_once, 3},
    {"C_logk_into", (DL_FUNC)&C_logk_into, 4},
    {"C_crossing_once", (DL_FUNC)&C_crossing_once, 6},
    {NULL, NULL, 0},
};

void R_init_logk(DllInfo *dll) {
    R_registerRoutines(dll, NULL, routines, NULL, NULL);
    R_useDynamicSymbols(dll, FALSE);
    R_forceSymbols(dll, TRUE);
}
