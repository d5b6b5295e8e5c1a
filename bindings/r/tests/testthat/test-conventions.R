# R's conventions: recycling as R's arithmetic, numbers as R coerces them
# (but TRUE and FALSE, which an unset T or F is), NA apart from NaN,
# failures as classed conditions with the library's line, warnings of what
# a reading passed over, and tables that print and survive a saved session
# with their values.
test_that("a point of one value recycles; other lengths must agree", {
  q <- example("quartz")
  rows <- list(list(P = 500, T = c(250, 300), n = 2L), list(P = c(500, 600), T = 300, n = 2L),
               list(P = numeric(0), T = 300, n = 0L), list(P = 500, T = 300, n = 1L))
  for (row in rows) {
    got <- interpolate(q, row$P, row$T)
    expect_identical(nrow(got), row$n)
    expect_identical(got[c("P", "T")], data.frame(P = rep_len(as.double(row$P), row$n), T = rep_len(row$T, row$n)))
    expect_identical(got$lk, logk(q, rep_len(row$P, row$n), rep_len(row$T, row$n)))
  }
  expect_error(logk(q, 1:3, 1:2), "P has 3 values and T has 2", class = "logk_error")
  expect_error(temperature_at(q, 1:3, c(-2, -3)), "P has 3 values and lk has 2", class = "logk_error")
})

test_that("integers are numbers; characters, factors and complex are not", {
  q <- example("quartz")
  expect_identical(logk(q, 500L, c(300L, 0L)), logk(q, 500, c(300, 0)))
  for (bad in list("500", factor("500"), 500+0i, list(500))) {
    expect_error(logk(q, bad, 300), "P must be numbers", class = "logk_error")
    expect_error(logk(q, 500, bad), "T must be numbers", class = "logk_error")
  }
})

# interpolate(q, P, T) with no T of one's own would be log K at TRUE, 1 degC.
test_that("TRUE and FALSE are refused where numbers are wanted, saying why; NA is NA", {
  q <- example("quartz")
  s <- logk_table_set(list(quartz = q))
  calls <- list(
    list(function(x) interpolate(q, c(100, 200), x), "T", "temperatures"),
    list(function(x) logk(s, x, 300), "P", "pressures"),
    list(function(x) slopes(q, 500, x), "T", "temperatures"),
    list(function(x) temperature_at(q, 100, x), "lk", "log K values"),
    list(function(x) temperature_at(q, x, -2.5), "P", "pressures"),
    list(function(x) pressure_at(q, x, -2.5), "T", "temperatures"),
    list(function(x) pressure_at(q, 300, -2.5, between = c(x, x)), "between", "pressures"),
    list(function(x) logk_table(values = matrix(x, 37, 36)), "values", "log K values"))
  for (call in calls) {
    for (bad in list(TRUE, FALSE, c(NA, TRUE))) {
      expect_error(call[[1L]](bad), paste0("^", call[[2L]], " holds TRUE or FALSE where ", call[[3L]],
                                           " are wanted \\(R reads a T or F never set as TRUE or FALSE\\)"),
                   class = "logk_error")
    }
  }
  expect_identical(logk(q, c(NA, NA), 300), c(NA_real_, NA_real_))
  expect_identical(interpolate(q, 500, NA)$pterr, NA_character_)
  expect_identical(temperature_at(q, NA, -2.5)$how, NA_character_)
  expect_identical(pressure_at(q, 300, NA)$P, NA_real_)
})

test_that("a NaN that is no NA goes to the library as it is", {
  got <- interpolate(example("quartz"), c(NaN, NA), 300)
  expect_true(is.nan(got$lk[1]) && !is.nan(got$lk[2]) && is.na(got$lk[2]))
  expect_identical(got$pterr, c("E", NA))
})

test_that("a file that cannot be read is a condition of its class", {
  dir <- tempfile()
  dir.create(dir)
  writeLines("1 2 x", file.path(dir, "bad.dat"))
  rows <- list(list(path = file.path(dir, "missing.dat"), class = "logk_file_not_found", number = 29L, line = 0),
               list(path = file.path(dir, "bad.dat"), class = "logk_notation_error", number = 59L, line = 1),
               list(path = dir, class = "logk_error", number = 30L, line = 0))
  for (row in rows) {
    failure <- tryCatch(logk_table(row$path), error = function(e) e)
    expect_s3_class(failure, c(row$class, "logk_error", "error", "condition"), exact = row$class != "logk_error")
    expect_identical(c(failure$number, failure$line), c(row$number, row$line))
    expect_identical(failure$path, row$path)
  }
  expect_identical(conditionMessage(tryCatch(logk_table(file.path(dir, "bad.dat")), error = identity)),
                   paste0(file.path(dir, "bad.dat"), ", line 1, column 5: a character that is no part of a number (message 59)"))
  expect_identical(tryCatch(logk_table(file.path(dir, "bad.dat")), logk_notation_error = function(e) e$column), 5)
})

test_that("tables and sets print what they are, and survive a saved session", {
  q <- example("quartz")
  s <- logk_table_set(c(quartz = system.file("extdata", "quartz.dat", package = "logk"),
                        system.file("extdata", "kw.dat", package = "logk")))
  made <- logk_table(values = matrix(-2.5, 37, 36))
  expect_output(print(q), "^<logk table from .*quartz.dat>$")
  expect_output(print(made), "^<logk table from values>$")
  expect_output(print(s), "^<logk table set of 2 tables: quartz, kw>$")
  file <- tempfile(fileext = ".rds")
  saveRDS(list(q, made, s), file)
  back <- readRDS(file)
  expect_identical(logk(back[[1L]], 500, 300), logk(q, 500, 300))
  expect_identical(logk(back[[2L]], 500, 300), -2.5)
  expect_identical(logk(back[[3L]], 500, 300), logk(s, 500, 300))
  expect_error(logk_table_set(list(a = q, a = made)), "two tables are named 'a'", class = "logk_error")
  expect_error(logk_table(values = matrix(0, 36, 37)), "37 x 36", class = "logk_error")
})

test_that("a saved table keeps its values, whatever becomes of its file", {
  dir <- tempfile()
  dir.create(dir)
  path <- write_table(file.path(dir, "quartz.dat"))
  q <- logk_table(path)
  s <- logk_table_set(c(path, kw = system.file("extdata", "kw.dat", package = "logk")))
  P <- c(1, 500, 5000)
  T <- c(0.01, 300, 600)
  made <- list(logk(q, P, T), logk(s, P, T))
  saved <- file.path(dir, "saved.rds")
  saveRDS(list(q, s), saved)
  writeLines(rep(paste(rep("-2.5", 36), collapse = " "), 37), path)  # another table
  for (what in c("changed", "moved")) {
    if (what == "moved") file.rename(path, file.path(dir, "moved.dat"))
    back <- readRDS(saved)
    expect_identical(list(logk(back[[1L]], P, T), logk(back[[2L]], P, T)), made, label = what)
    expect_identical(format(back[[1L]]), format(q))
  }
})

test_that("a table file warns of each thing its reading passed over, naming the file and line", {
  dir <- tempfile()
  dir.create(dir)
  rows <- example_rows()
  nulled <- rows
  nulled[5L] <- sub(" [^ ]+ ", ",,", nulled[5L])  # its second value: a null, so a cell at 0.0
  files <- list(
    list(name = "pressure_first.dat", rows = paste("1", rows), note = "past_row", line = 1,
         words = "line 1: the line holds 37 values; those past the 36th of a row are ignored"),
    list(name = "null.dat", rows = nulled, note = "null_value", line = 5,
         words = "line 5: the line holds a null value \\(',,' or '/'\\), which leaves its cell at 0.0"),
    list(name = "header.dat", rows = c(paste(seq(0, 350, 10), collapse = " "), rows), note = "after_table", line = 38,
         words = "line 38: the line holds values after the table's 37 rows; they are not read"))
  for (file in files) {
    path <- write_table(file.path(dir, file$name), file$rows)
    note <- tryCatch(logk_table(path), warning = identity)
    expect_s3_class(note, "logk_read_note")
    expect_match(conditionMessage(note), paste0("^", path, ", ", file$words), label = file$name)
    expect_identical(c(note$note, note$path, note$line), c(file$note, path, file$line))
    expect_warning(logk_table_set(path), file$words, class = "logk_read_note")
  }
  expect_no_warning(logk_table(write_table(file.path(dir, "plain.dat"))))
})
