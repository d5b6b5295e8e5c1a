# Tables on nodes of their own: made from a matrix and its nodes or read
# from a file that names them, refused in the library's words or R's where
# the arguments are no such table, kept with their nodes through a saved
# session, printed as what they are, and in sets only with tables on the
# same nodes missing the same values. The rules of such tables are the
# library's: here only that each face of them is the library's.

# The values of examples/vapour_side.dat, with NA where the file leaves a
# field empty, and its nodes.
vapour <- list(
  values = rbind(c(-2.0, -1.8, -1.5, -1.3, NA, NA), c(-2.1, -1.9, -1.6, -1.4, -1.2, -1.1),
                 c(-2.2, -2.0, -1.7, -1.5, -1.3, -1.2), c(-2.3, -2.1, -1.8, -1.6, -1.4, -1.3)),
  pressures = c(100, 500, 1000, 2000), temperatures = c(25, 100, 200, 300, 400, 500))
vapour_table <- function(values = vapour$values, pressures = vapour$pressures, temperatures = vapour$temperatures) {
  logk_table(values = values, pressures = pressures, temperatures = temperatures)
}

# Points inside, at the edges of and beyond the vapour table's nodes.
vapour_points <- function() {
  set.seed(41)
  list(P = c(100, 500, 2000, 99, 50, 2500, 3000, NaN, NA, runif(500, 0, 3000)),
       T = c(25, 450, 500, 410, 300, 600, -80, 300, 300, runif(500, -100, 650)))
}

test_that("a table made from a matrix and its nodes is the one its file holds", {
  file <- example("vapour_side")
  expect_no_warning(made <- vapour_table())
  expect_identical(nodes(file), vapour[c("pressures", "temperatures")])
  expect_identical(nodes(made), nodes(file))
  expect_identical(is.na(file$values), is.na(vapour$values))  # the empty fields are missing values
  pts <- vapour_points()
  expect_identical(interpolate(made, pts$P, pts$T), interpolate(file, pts$P, pts$T))
  expect_identical(slopes(made, pts$P, pts$T), slopes(file, pts$P, pts$T))
  calcite <- example("calcite")
  expect_identical(bits(nodes(calcite)$pressures), bits(NaN))  # `sat`: the pressure takes no part
  expect_identical(length(nodes(calcite)$temperatures), 8L)
})

# R's NA and NaN both reach the library as a NaN: a missing value among the
# values; among the nodes the library's one quiet NaN, as `sat` in a file.
test_that("NA and NaN are missing values, and an NA pressure node is a file's sat", {
  with_nan <- vapour$values
  with_nan[is.na(with_nan)] <- NaN
  pts <- vapour_points()
  expect_identical(interpolate(vapour_table(with_nan), pts$P, pts$T), interpolate(vapour_table(), pts$P, pts$T))
  calcite <- example("calcite")
  line <- calcite$values
  for (pressure in list(NA, NA_real_, NaN, 0 / 0)) {
    made <- logk_table(values = line, pressures = pressure, temperatures = nodes(calcite)$temperatures)
    expect_identical(bits(nodes(made)$pressures), bits(nodes(calcite)$pressures), label = format(pressure))
    expect_identical(logk(logk_table_set(list(file = calcite, made = made)), 1, c(25, 80))[, "made"], logk(calcite, 1, c(25, 80)))
  }
})

test_that("what makes no table on its own nodes is refused in the library's words, or R's", {
  v <- vapour$values
  ps <- vapour$pressures
  ts <- vapour$temperatures
  rows <- list(
    # the library's rules
    list(quote(vapour_table(temperatures = c(25, 100, 200, 300, 500, 400))),
         "^logk_table_from_grid: the temperature nodes do not ascend: 400 after 500$"),
    list(quote(vapour_table(values = v[1:2, ], pressures = ps[1:2])),
         "^logk_table_from_grid: a table on its own nodes has one pressure node \\(along one line\\) or three or more, not 2$"),
    list(quote(vapour_table(values = v[, 1:2], temperatures = ts[1:2])),
         "^logk_table_from_grid: a table on its own nodes has three temperature nodes or more, not 2$"),
    list(quote(vapour_table(pressures = c(100, NA, 1000, 2000))), "^logk_table_from_grid: the pressure node 2 is nan"),
    list(quote(vapour_table(temperatures = c(25, 100, 200, 300, 400, Inf))), "^logk_table_from_grid: the temperature node 6 is inf"),
    # R's own checks of what it passes
    list(quote(vapour_table(values = v[1:3, ])),
         "^values is a 3 x 6 matrix, and 4 pressures by 6 temperatures need a 4 x 6 one: a row per pressure node$"),
    list(quote(vapour_table(values = t(v))), "^values is a 6 x 4 matrix, and 4 pressures by 6 temperatures need a 4 x 6 one"),
    list(quote(vapour_table(values = as.vector(v))), "^values must be a numeric matrix, a row per pressure node"),
    list(quote(vapour_table(values = matrix("1", 4, 6))), "^values must be a numeric matrix"),
    list(quote(vapour_table(values = matrix(TRUE, 4, 6))), "^values holds TRUE or FALSE where log K values are wanted"),
    list(quote(vapour_table(pressures = c(TRUE, FALSE, TRUE, TRUE))), "^pressures holds TRUE or FALSE where pressure nodes are wanted"),
    list(quote(vapour_table(temperatures = as.character(ts))), "^temperatures must be numbers \\(double or integer\\), not character"),
    list(quote(vapour_table(pressures = matrix(ps))), "^pressures must be a vector of numbers, not a matrix"),
    list(quote(logk_table(values = v, pressures = ps)), "^a table on nodes of its own needs both pressures and temperatures"),
    list(quote(logk_table(pressures = ps, temperatures = ts)), "^a table's nodes go with its values"),
    list(quote(logk_table(values = v)), "^a table's values are a numeric 37 x 36 matrix"))
  for (row in rows) {
    expect_error(eval(row[[1L]]), row[[2L]], class = "logk_error", label = deparse(row[[1L]]))
  }
  expect_identical(nodes(vapour_table(pressures = as.integer(ps))), nodes(vapour_table()))  # integers are numbers
})

test_that("tables print the nodes they lie on", {
  rows <- list(list(example("vapour_side"), "^<logk table from .*vapour_side.dat, on its own nodes, 4 x 6>$"),
               list(vapour_table(), "^<logk table from values, on its own nodes, 4 x 6>$"),
               list(example("calcite"), "^<logk table from .*calcite.dat, along one line of 8 temperatures>$"),
               list(example("quartz"), "^<logk table from .*quartz.dat>$"))
  for (row in rows) expect_output(print(row[[1L]]), row[[2L]])
})

# A table on the fixed grid's nodes that are its own keeps the rules of its
# own nodes once restored: made again as a table on the grid, it would give
# other stencils.
test_that("a saved table on its own nodes comes back with its nodes and values", {
  grid <- nodes(example("quartz"))
  expect_identical(lengths(grid), c(pressures = 37L, temperatures = 36L))
  set.seed(43)
  v <- matrix(runif(37 * 36, -12, 2), 37, 36)
  on_grid_nodes <- logk_table(values = v, pressures = grid$pressures, temperatures = grid$temperatures)
  pts <- test_points(1000)
  expect_false(identical(interpolate(on_grid_nodes, pts$P, pts$T), interpolate(logk_table(values = v), pts$P, pts$T)))
  tables <- list(vapour = vapour_table(), file = example("vapour_side"), calcite = example("calcite"),
                 on_grid_nodes = on_grid_nodes)
  dir <- tempfile()
  dir.create(dir)
  saved <- file.path(dir, "saved.rds")
  saveRDS(tables, saved)
  back <- readRDS(saved)
  for (name in names(tables)) {
    expect_identical(format(back[[name]]), format(tables[[name]]), label = name)
    expect_identical(nodes(back[[name]]), nodes(tables[[name]]), label = name)
    expect_identical(interpolate(back[[name]], pts$P, pts$T), interpolate(tables[[name]], pts$P, pts$T), label = name)
    expect_identical(bits(back[[name]]$values), bits(tables[[name]]$values), label = name)
  }
})

test_that("a set takes tables on the same nodes missing the same values, and refuses others in the library's words", {
  a <- vapour_table()
  b <- vapour_table(values = vapour$values - 1)
  s <- logk_table_set(list(a = a, b = b))
  pts <- vapour_points()
  expect_identical(logk(s, pts$P, pts$T), cbind(a = logk(a, pts$P, pts$T), b = logk(b, pts$P, pts$T)))
  expect_identical(interpolate(s, pts$P, pts$T)$isoerr, interpolate(a, pts$P, pts$T)$isoerr)
  expect_identical(nodes(s), nodes(a))
  filled <- vapour$values
  filled[1L, 5L] <- -1.1
  refused <- list(
    list(list(a = a, q = example("quartz")), "on other nodes than table 0: the tables of a set share their nodes"),
    list(list(a = a, c = example("calcite")), "on other nodes than table 0"),
    list(list(a = a, b = vapour_table(pressures = c(100, 500, 1000, 3000))), "on other nodes than table 0"),
    list(list(a = a, b = vapour_table(filled)), "misses other values than table 0: the tables of a set miss the same ones"))
  for (row in refused) {
    expect_error(logk_table_set(row[[1L]]), paste0("^logk_table_set_from_tables: table 1 [a-z ]*", row[[2L]]),
                 class = "logk_error", label = paste(names(row[[1L]]), collapse = ", "))
  }
})

test_that("interpolate, logk and slopes give the C interface's bits on tables of their own nodes", {
  pts <- vapour_points()
  na <- is.na(pts$P) & !is.nan(pts$P)
  for (x in list(example("vapour_side"), example("calcite"))) {
    got <- interpolate(x, pts$P, pts$T)
    c_call <- once(x, pts$P, pts$T)
    expect_identical(bits(got$lk[!na]), bits(c_call[[1L]][!na]))
    expect_identical(got$pidx[!na], c_call[[2L]][!na])
    expect_identical(got$tidx[!na], c_call[[3L]][!na])
    expect_identical(got$isoerr[!na], vapply(c_call[[4L]][!na], intToUtf8, ""))
    expect_identical(got$pterr[!na], vapply(c_call[[5L]][!na], intToUtf8, ""))
    expect_identical(got$lk[na], NA_real_)
    c_slopes <- .Call(logk:::C_slopes_once, logk:::.handle(x), pts$P, pts$T)
    slope <- slopes(x, pts$P, pts$T)
    expect_identical(bits(slope$dlk_dT[!na]), bits(c_slopes[[1L]][!na]))
    expect_identical(bits(slope$dlk_dP[!na]), bits(c_slopes[[2L]][!na]))
  }
})

test_that("the interpolation backwards gives the C interface's bits on tables of their own nodes", {
  x <- example("vapour_side")
  P <- c(100, 500, 1000, 2000, 1500)
  lk <- c(-1.9, -1.25, -1.6, -1.35, -2.25)
  for (along_T in c(TRUE, FALSE)) {
    got <- if (along_T) temperature_at(x, P, lk, between = c(25, 500)) else pressure_at(x, P / 5, lk, between = c(100, 2000))
    c_call <- .Call(logk:::C_crossing_once, logk:::.handle(x), along_T, if (along_T) P else P / 5, lk,
                    if (along_T) 25 else 100, if (along_T) 500 else 2000)
    expect_identical(bits(got[[1L]]), bits(c_call[[1L]]))
    expect_identical(got$how, vapply(c_call[[2L]], intToUtf8, ""))
  }
})

# log K at 1000 bar goes from -1.7 at 200 degC to -1.5 at 300 degC: -1.6 is
# taken between them.
test_that("temperature_at finds a value log K takes on a table of its own nodes", {
  x <- example("vapour_side")
  found <- temperature_at(x, 1000, -1.6)  # between the table's own first and last temperatures
  expect_identical(found$how, "C")
  expect_true(found$T > 200 && found$T < 300)
  below <- found$T - 2^(floor(log2(found$T)) - 52)  # the double below
  expect_true((logk(x, 1000, below) - -1.6) * (logk(x, 1000, found$T) - -1.6) <= 0)
})

test_that("a file that names its own nodes reads silently, and one malformed fails with its line and column", {
  dir <- tempfile()
  dir.create(dir)
  header <- "P\\T, 25, 100, 200"
  rows <- list(
    list(name = "stray.dat", lines = c(header, "100, 1, 2, 3", "500, 1, x, 3", "1000, 1, 2, 3"),
         class = "logk_notation_error", number = 59L, line = 3, column = 9,
         words = "line 3, column 9: the value is no number, nor nan, nor empty (message 59)"),
    list(name = "two_sat.dat", lines = c("P\\T, 0.01, 25, 60", "sat, 1, 2, 3", "sat, 1, 2, 3"),
         class = "logk_notation_error", number = 59L, line = 3, column = 1,
         words = "line 3, column 1: a second data row: a table at sat, along the saturation line, has a single row"),
    list(name = "two_rows.dat", lines = c(header, "100, 1, 2, 3", "500, 1, 2, 3"),
         class = "logk_notation_error", number = 24L, line = 3, column = 0,
         words = "line 3: the file ends after 2 data rows"))
  for (row in rows) {
    path <- file.path(dir, row$name)
    writeLines(row$lines, path)
    failure <- tryCatch(logk_table(path), error = identity)
    expect_s3_class(failure, c(row$class, "logk_error", "error", "condition"), exact = TRUE)
    expect_identical(list(failure$number, failure$line, failure$column), list(row$number, row$line, row$column),
                     label = row$name)
    expect_identical(substr(conditionMessage(failure), 1L, nchar(path) + 2L + nchar(row$words)),
                     paste0(path, ", ", row$words), label = row$name)
  }
  expect_no_warning(x <- example("calcite"))
  expect_identical(dim(x$values), c(1L, 8L))
})
