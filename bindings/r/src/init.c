/* The package's native routines, registered by name, and no others. */
#define R_NO_REMAP  /* R names only as Rf_..., so that none stands for a word of this file */
#include <R.h>
#include <R_ext/Rdynload.h>
#include <Rinternals.h>

SEXP C_is_live(SEXP);
SEXP C_table_load(SEXP);
SEXP C_table_from_values(SEXP);
SEXP C_set_from_tables(SEXP);
SEXP C_interpolate(SEXP, SEXP, SEXP, SEXP, SEXP);
SEXP C_crossing(SEXP, SEXP, SEXP, SEXP, SEXP, SEXP);
SEXP C_interpolate_once(SEXP, SEXP, SEXP, SEXP);
SEXP C_slopes_once(SEXP, SEXP, SEXP);
SEXP C_logk_into(SEXP, SEXP, SEXP, SEXP);
SEXP C_crossing_once(SEXP, SEXP, SEXP, SEXP, SEXP, SEXP);

static const R_CallMethodDef routines[] = {
    {"C_is_live", (DL_FUNC)&C_is_live, 1},
    {"C_table_load", (DL_FUNC)&C_table_load, 1},
    {"C_table_from_values", (DL_FUNC)&C_table_from_values, 1},
    {"C_set_from_tables", (DL_FUNC)&C_set_from_tables, 1},
    {"C_interpolate", (DL_FUNC)&C_interpolate, 5},
    {"C_crossing", (DL_FUNC)&C_crossing, 6},
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
