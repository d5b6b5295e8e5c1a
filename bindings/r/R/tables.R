# Tables and sets of tables: handles to the C library's, kept in an
# environment with the table's values, so that a table restored from a
# saved session (whose handle is then empty) is made again once, from the
# very values it had, and every copy of it sees the new handle. A table
# never changes once made, whatever becomes of its file.

logk_table <- function(path, values = NULL) {
  if (!is.null(values)) {
    if (!missing(path)) .stop("give a table's path or its values, not both")
    values <- .table_values(values)
    return(.new_table(.Call(C_table_from_values, as.double(t(values))), "values", values))
  }
  if (missing(path) || !is.character(path) || length(path) != 1L || is.na(path)) {
    .stop("a table is read from one path (a character string), or made from values = a 37 x 36 matrix")
  }
  read <- .Call(C_table_read, path)
  if (is.null(read$handle)) stop(.read_failure(read, path, sys.call()))
  .read_notes(read$notes, path, sys.call())
  values <- matrix(.Call(C_table_values, read$handle), 37L, 36L, byrow = TRUE)
  .new_table(read$handle, normalizePath(path), values)
}

# A numeric 37 x 36 matrix: a row per pressure node, as in the file.
.table_values <- function(values) {
  if (!is.matrix(values) || !identical(dim(values), c(37L, 36L)) || !(is.numeric(values) || is.logical(values))) {
    .stop("a table's values are a numeric 37 x 36 matrix, a row per pressure node as in the file")
  }
  .numbers(values, "values", "log K values")  # TRUE or FALSE refused, as log K is at points
  storage.mode(values) <- "double"
  values
}

.new_table <- function(handle, source, values) {
  table <- new.env(parent = emptyenv())
  table$handle <- handle
  table$source <- source
  table$values <- values
  class(table) <- "logk_table"
  table
}

logk_table_set <- function(tables) {
  if (is.character(tables)) {  # paths, named by their names or else by their files' stems
    names <- names(tables)
    stems <- tools::file_path_sans_ext(basename(tables))
    names <- if (is.null(names)) stems else ifelse(is.na(names) | names == "", stems, names)
    tables <- stats::setNames(lapply(unname(tables), logk_table), names)
  }
  if (!is.list(tables) || length(tables) == 0L || !all(vapply(tables, inherits, TRUE, "logk_table"))) {
    .stop("a set is made of logk tables (a list, its names the tables' names) or of table files' paths")
  }
  names <- names(tables)
  if (is.null(names)) names <- as.character(seq_along(tables))
  if (anyNA(names) || any(names == "")) .stop("every table of a set needs a name")
  if (anyDuplicated(names)) .stop(paste0("two tables are named '", names[anyDuplicated(names)], "': give each its own"))
  set <- new.env(parent = emptyenv())
  set$tables <- stats::setNames(tables, names)
  set$handle <- .Call(C_set_from_tables, lapply(tables, .handle))
  class(set) <- "logk_table_set"
  set
}

# The live handle of a table or set, made again after a restore.
.handle <- function(x) {
  if (!.Call(C_is_live, x$handle)) {
    x$handle <- if (inherits(x, "logk_table_set")) {
      .Call(C_set_from_tables, lapply(x$tables, .handle))
    } else if (is.null(x$values)) {
      .stop(paste0("this table was saved by a logk package that kept only its path, ", x$source,
                   ": read it again with logk_table(path)"))
    } else {
      .Call(C_table_from_values, as.double(t(x$values)))
    }
  }
  x$handle
}

format.logk_table <- function(x, ...) paste0("<logk table from ", x$source, ">")

print.logk_table <- function(x, ...) {
  cat(format(x), "\n", sep = "")
  invisible(x)
}

format.logk_table_set <- function(x, ...) {
  paste0("<logk table set of ", length(x), if (length(x) == 1L) " table: " else " tables: ",
         paste(names(x), collapse = ", "), ">")
}

print.logk_table_set <- function(x, ...) {
  cat(format(x), "\n", sep = "")
  invisible(x)
}

names.logk_table_set <- function(x) names(x$tables)

length.logk_table_set <- function(x) length(x$tables)
