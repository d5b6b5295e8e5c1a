# Tables and sets of tables: handles to the C library's, kept in an
# environment with the table's values (and its nodes, where it lies on
# nodes of its own), so that a table restored from a saved session (whose
# handle is then empty) is made again once, from the very nodes and values
# it had, and every copy of it sees the new handle. A table never changes
# once made, whatever becomes of its file.

logk_table <- function(path, values = NULL, pressures = NULL, temperatures = NULL) {
  if (!is.null(values)) {
    if (!missing(path)) .stop("give a table's path or its values, not both")
    if (is.null(pressures) && is.null(temperatures)) {
      values <- .table_values(values)
      return(.new_table(.Call(C_table_from_values, as.double(t(values))), "values"))
    }
    grid <- .grid_arguments(values, pressures, temperatures)
    return(.new_table(.made(.Call(C_table_from_grid, grid$pressures, grid$temperatures, grid$values)), "values"))
  }
  if (!is.null(pressures) || !is.null(temperatures)) {
    .stop("a table's nodes go with its values: logk_table(values = M, pressures = p, temperatures = t)")
  }
  if (missing(path) || !is.character(path) || length(path) != 1L || is.na(path)) {
    .stop("a table is read from one path (a character string), or made from values = a 37 x 36 matrix")
  }
  read <- .Call(C_table_read, path)
  if (is.null(read$handle)) stop(.read_failure(read, path, sys.call()))
  .read_notes(read$notes, path, sys.call())
  .new_table(read$handle, normalizePath(path))
}

# A numeric 37 x 36 matrix: a row per pressure node, as in the file.
.table_values <- function(values) {
  if (!is.matrix(values) || !identical(dim(values), c(37L, 36L)) || !(is.numeric(values) || is.logical(values))) {
    .stop(paste("a table's values are a numeric 37 x 36 matrix, a row per pressure node as in the file",
                "(or give pressures and temperatures too, for a table on nodes of its own)"))
  }
  .numbers(values, "values", "log K values")  # TRUE or FALSE refused, as log K is at points
  storage.mode(values) <- "double"
  values
}

# A table's own nodes and its values as the library takes them: the nodes
# as numbers, R's NA and any NaN among them the library's one quiet NaN (R's
# NaN), as `sat` in a file gives the one pressure node of a table along the
# saturation line, so that such tables share their nodes to the bit; the
# values an m x n matrix, a row per pressure node, passed in the library's
# order as they are (R's NA a NaN there too: a missing value). Which nodes
# and values make a table is the library's to say.
.grid_arguments <- function(values, pressures, temperatures) {
  if (is.null(pressures) || is.null(temperatures)) {
    .stop("a table on nodes of its own needs both pressures and temperatures (neither: the fixed grid, 37 x 36 values)")
  }
  node <- function(x, name, what) {
    if (!is.null(dim(x))) .stop(sprintf("%s must be a vector of numbers, not a matrix", name))
    x <- .numbers(x, name, what)
    x[is.na(x)] <- NaN
    x
  }
  pressures <- node(pressures, "pressures", "pressure nodes")
  temperatures <- node(temperatures, "temperatures", "temperature nodes")
  if (!is.matrix(values) || !(is.numeric(values) || is.logical(values))) {
    .stop("values must be a numeric matrix, a row per pressure node (rbind(v) for a table along one line)")
  }
  m <- length(pressures)
  n <- length(temperatures)
  if (!identical(dim(values), c(m, n))) {
    .stop(sprintf("values is a %d x %d matrix, and %d pressures by %d temperatures need a %d x %d one: a row per pressure node",
                  nrow(values), ncol(values), m, n, m, n))
  }
  .numbers(values, "values", "log K values")
  list(pressures = pressures, temperatures = temperatures, values = as.double(t(values)))
}

# A table as the library made it: its values, a row per pressure node, and
# where it lies on nodes of its own, those nodes; enough to make it again
# after a restore. (A table saved without nodes is on the fixed grid.)
.new_table <- function(handle, source) {
  table <- new.env(parent = emptyenv())
  table$handle <- handle
  table$source <- source
  nodes <- .Call(C_table_nodes, handle)
  table$values <- matrix(.Call(C_table_values, handle), length(nodes$pressures), length(nodes$temperatures),
                         byrow = TRUE)
  if (.Call(C_on_own_nodes, handle)) {
    table$pressures <- nodes$pressures
    table$temperatures <- nodes$temperatures
  }
  class(table) <- "logk_table"
  table
}

# What the glue made, or a logk_error of the library's words for why not.
.made <- function(made) {
  if (is.character(made)) .stop(made)
  made
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
  set$handle <- .made(.Call(C_set_from_tables, lapply(tables, .handle)))
  class(set) <- "logk_table_set"
  set
}

# The live handle of a table or set, made again after a restore.
.handle <- function(x) {
  if (!.Call(C_is_live, x$handle)) {
    x$handle <- if (inherits(x, "logk_table_set")) {
      .made(.Call(C_set_from_tables, lapply(x$tables, .handle)))
    } else if (is.null(x$values)) {
      .stop(paste0("this table was saved by a logk package that kept only its path, ", x$source,
                   ": read it again with logk_table(path)"))
    } else if (is.null(x$pressures)) {
      .Call(C_table_from_values, as.double(t(x$values)))
    } else {
      .made(.Call(C_table_from_grid, x$pressures, x$temperatures, as.double(t(x$values))))
    }
  }
  x$handle
}

# A table's nodes, as the library gives them: the fixed grid's 37 pressures
# and 36 temperatures, or the table's own; a set's are those of each of its
# tables.
nodes <- function(x) UseMethod("nodes")
nodes.logk_table <- function(x) .Call(C_table_nodes, .handle(x))
nodes.logk_table_set <- function(x) nodes(x$tables[[1L]])

format.logk_table <- function(x, ...) {
  m <- length(x$pressures)
  n <- length(x$temperatures)
  on <- if (m == 0L) "" else if (m == 1L) sprintf(", along one line of %d temperatures", n)
        else sprintf(", on its own nodes, %d x %d", m, n)
  paste0("<logk table from ", x$source, on, ">")
}

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
