# R's conventions: recycling as R's arithmetic, numbers as R coerces them,
# NA apart from NaN, failures as classed conditions, tables that print and
# survive a saved session, and control-C during a long call.
test_that("a point of one value recycles; other lengths must agree", {
  q <- example("quartz")
  rows <- list(list(P = 500, T = c(250, 300), n = 2L), list(P = c(500, 600), T = 300, n = 2L),
               list(P = numeric(0), T = 300, n = 0L), list(P = 500, T = 300, n = 1L))
  for (row in rows) {
    got <- interpolate(q, row$P, row$T)
    expect_identical(nrow(got), row$n)
    expect_identical(got$lk, logk(q, rep_len(row$P, row$n), rep_len(row$T, row$n)))
  }
  expect_error(logk(q, 1:3, 1:2), "P has 3 values and T has 2", class = "logk_error")
  expect_error(temperature_at(q, 1:3, c(-2, -3)), "P has 3 values and lk has 2", class = "logk_error")
})

test_that("integers and logicals are numbers; characters, factors and complex are not", {
  q <- example("quartz")
  expect_identical(logk(q, 500L, c(TRUE, FALSE)), logk(q, 500, c(1, 0)))
  for (bad in list("500", factor("500"), 500+0i, list(500))) {
    expect_error(logk(q, bad, 300), "P must be numbers", class = "logk_error")
    expect_error(logk(q, 500, bad), "T must be numbers", class = "logk_error")
  }
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

test_that("control-C stops a long call between its chunks", {
  skip_on_os("windows")
  set.seed(1)
  flat <- logk_table(values = matrix(1.5 + 1e-15 * rnorm(37 * 36), 37, 36))  # milliseconds a point
  got <- tryCatch({
    system2("sh", c("-c", shQuote(paste("sleep 0.5; kill -INT", Sys.getpid()))), wait = FALSE)
    pressure_at(flat, seq(0.01, 600, length.out = 100000), 1.5 + 2e-15)  # more than ten seconds
    "finished"
  }, interrupt = function(e) "interrupted")
  expect_identical(got, "interrupted")
})
