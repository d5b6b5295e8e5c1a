# The table of cases every face runs (tests/cases/cases.txt of logk's
# sources, whose header says the format), here through the R face: each
# row's outputs to the bit, as tests/library/cases_test.cpp holds the C++
# and C faces to them. The sources are where LOGK_SOURCE_DIR says
# (tests/r/check_r_package.sh sets it); a check of the package alone skips.
source_dir <- Sys.getenv("LOGK_SOURCE_DIR")
from_top <- function(path) file.path(source_dir, path)

# The rows of the file, each its words, named by its line.
case_rows <- function() {
  lines <- readLines(from_top("tests/cases/cases.txt"))
  keep <- nzchar(lines) & !startsWith(lines, "#")
  stats::setNames(strsplit(lines[keep], " +"), seq_along(lines)[keep])
}

# The doubles of a file of hex bits, a line each.
hex_file <- function(path) from_hex(readLines(from_top(path)))

# A gridtable row's table, from the files of its nodes and its values (a
# row per pressure node), its nodes read back with their bits.
grid_table <- function(files) {
  pressures <- hex_file(files[1L])
  temperatures <- hex_file(files[2L])
  values <- matrix(hex_file(files[3L]), length(pressures), length(temperatures), byrow = TRUE)
  table <- logk_table(values = values, pressures = pressures, temperatures = temperatures)
  expect_identical(lapply(nodes(table), hex_of), list(pressures = hex_of(pressures), temperatures = hex_of(temperatures)),
                   label = paste("the nodes of", files[3L]))
  table
}

# The rows of one kind; and rows of as many words as a character matrix,
# a row a line.
rows_of <- function(rows, kind) rows[vapply(rows, `[`, "", 1L) == kind]
as_matrix <- function(rows) do.call(rbind, rows)

# What the R face gives for a group of point rows of one table or set: the
# words of each row after P and T.
point_words <- function(x, P, T) {
  got <- interpolate(x, P, T)
  slope <- slopes(x, P, T)
  lk <- as.matrix(got[setdiff(names(got), c("P", "T", "pidx", "tidx", "isoerr", "pterr"))])
  count <- ncol(lk)
  each <- lapply(seq_len(count), function(r) {
    cbind(hex_of(lk[, r]), hex_of(slope[[r]]), hex_of(slope[[count + r]]))
  })
  paste(got$pidx, got$tidx, got$isoerr, got$pterr, apply(do.call(cbind, each), 1L, paste, collapse = " "))
}

# What reading a file passed over, from the R face's warnings:
# c(past_row_line, past_row_values, null_line, after_table_line).
notes_of <- function(path) {
  notes <- c(0, 0, 0, 0)
  withCallingHandlers(logk_table(path), logk_read_note = function(w) {
    if (w$note == "past_row") notes[1:2] <<- c(w$line, w$values)
    if (w$note == "null_value") notes[3L] <<- w$line
    if (w$note == "after_table") notes[4L] <<- w$line
    invokeRestart("muffleWarning")
  })
  notes
}

kinds <- c(logk_file_not_found = "not_found", logk_permission_denied = "permission", logk_notation_error = "notation")

test_that("every row of the cases has its outputs on the R face", {
  skip_if(source_dir == "", "LOGK_SOURCE_DIR is not set: the cases are in logk's sources")
  rows <- case_rows()
  expect_gt(length(rows), 100L)
  tables <- list()
  for (row in rows[vapply(rows, `[`, "", 1L) %in% c("table", "hextable", "set", "gridtable")]) {  # each before its use
    tables[[row[2L]]] <- switch(row[1L],
      table = logk_table(from_top(row[3L])),
      hextable = logk_table(values = matrix(hex_file(row[3L]), 37L, 36L, byrow = TRUE)),
      set = logk_table_set(tables[row[-(1:2)]]),
      gridtable = grid_table(row[3:5]))
  }
  points <- rows_of(rows, "point")
  for (name in unique(vapply(points, `[`, "", 2L))) {
    mine <- as_matrix(points[vapply(points, `[`, "", 2L) == name])
    expected <- stats::setNames(apply(mine[, -(1:4), drop = FALSE], 1L, paste, collapse = " "), rownames(mine))
    got <- stats::setNames(point_words(tables[[name]], from_hex(mine[, 3L]), from_hex(mine[, 4L])), rownames(mine))
    expect_identical(got, expected, label = paste("points of", name))
  }
  for (kind in c("temperature_at", "pressure_at")) {
    solve <- as_matrix(rows_of(rows, kind))
    group <- paste(solve[, 2L], solve[, 5L], solve[, 6L])
    for (each in unique(group)) {
      mine <- solve[group == each, , drop = FALSE]
      between <- from_hex(mine[1L, 5:6])
      found <- match.fun(kind)(tables[[mine[1L, 2L]]], from_hex(mine[, 3L]), from_hex(mine[, 4L]), between = between)
      expect_identical(stats::setNames(paste(hex_of(found[[1L]]), found$how), rownames(mine)),
                       stats::setNames(paste(mine[, 7L], mine[, 8L]), rownames(mine)), label = paste(kind, each))
    }
  }
  for (row in rows_of(rows, "fails")) {
    failure <- tryCatch(logk_table(from_top(row[2L])), logk_error = function(e) e)
    kind <- kinds[intersect(class(failure), names(kinds))]
    got <- c(failure$number, if (length(kind) == 1L) kind else "other", failure$line, failure$column)
    expect_identical(as.character(got), row[3:6], label = paste("fails", row[2L]))
  }
  for (row in rows_of(rows, "notes")) {
    expect_identical(notes_of(from_top(row[2L])), as.numeric(row[3:6]), label = paste("notes", row[2L]))
  }
  for (row in rows_of(rows, "workers")) {
    runs <- tryCatch(is.double(logk(tables[[1L]], 500, 300, workers = as.numeric(row[2L]))), logk_error = function(e) FALSE)
    expect_identical(if (runs) "accepted" else "refused", row[3L], label = paste("workers", row[2L]))
  }
})

test_that("the library is the one of these sources", {
  skip_if(source_dir == "", "LOGK_SOURCE_DIR is not set: VERSION is in logk's sources")
  expect_identical(logk_version(), readLines(from_top("VERSION")))
})

test_that("the library says its build", {
  expect_true(logk_build() %in% c("baseline", "avx2", "avx512"))
})
