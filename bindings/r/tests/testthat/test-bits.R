# Every result has the C interface's bits: log K, the stencil, the flags
# and the slopes of a table and of sets (of 2 tables, and of 9, which leaves
# tables over after whole vectors), and the interpolation backwards; NA
# points NA in every output.
test_that("interpolate and logk give the C interface's bits", {
  q <- example("quartz")
  pts <- test_points()
  na <- is.na(pts$P) & !is.nan(pts$P) | is.na(pts$T) & !is.nan(pts$T)
  set.seed(9)
  nine <- lapply(1:9, function(k) logk_table(values = matrix(runif(37 * 36, -12, 2), 37, 36)))
  sets <- list(table = q, two = logk_table_set(list(quartz = q, kw = example("kw"))),
               nine = logk_table_set(setNames(nine, letters[1:9])))
  for (name in names(sets)) {
    x <- sets[[name]]
    got <- interpolate(x, pts$P, pts$T)
    c_call <- once(x, pts$P, pts$T)
    count <- if (name == "table") 1L else length(x)
    lk <- matrix(c_call[[1L]], ncol = count, byrow = TRUE)
    ours <- if (count == 1L) matrix(got$lk) else as.matrix(got[paste0("lk.", names(x))])
    expect_identical(bits(ours[!na, ]), bits(lk[!na, ]), label = name)
    expect_identical(bits(logk(x, pts$P, pts$T)), bits(if (count == 1L) got$lk else ours), label = name)
    expect_identical(got$pidx[!na], c_call[[2L]][!na])
    expect_identical(got$tidx[!na], c_call[[3L]][!na])
    expect_identical(got$isoerr[!na], vapply(c_call[[4L]][!na], intToUtf8, ""))
    expect_identical(got$pterr[!na], vapply(c_call[[5L]][!na], intToUtf8, ""))
    expect_true(all(is.na(ours[na, ]) & !is.nan(ours[na, ])))
    expect_identical(got$pidx[na], rep(NA_integer_, sum(na)))
    expect_identical(got$isoerr[na], rep(NA_character_, sum(na)))
    slope <- slopes(x, pts$P, pts$T)
    c_slopes <- .Call(logk:::C_slopes_once, logk:::.handle(x), pts$P, pts$T)
    expect_identical(bits(as.matrix(slope)[!na, seq_len(count)]),
                     bits(matrix(c_slopes[[1L]], ncol = count, byrow = TRUE)[!na, ]))
  }
})

test_that("the interpolation backwards gives the C interface's bits", {
  q <- example("quartz")
  pts <- test_points(1000)
  y <- logk(q, pts$P, rev(pts$T))
  for (along_T in c(TRUE, FALSE)) {
    got <- if (along_T) temperature_at(q, pts$P, y) else pressure_at(q, pts$T, y)
    fixed <- if (along_T) pts$P else pts$T
    na <- is.na(fixed) & !is.nan(fixed) | is.na(y) & !is.nan(y)
    c_call <- .Call(logk:::C_crossing_once, logk:::.handle(q), along_T, as.double(fixed), y,
                           if (along_T) 0.01 else 1, if (along_T) 600 else 5000)
    expect_identical(bits(got[[1L]][!na]), bits(c_call[[1L]][!na]))
    expect_identical(got$how[!na], vapply(c_call[[2L]][!na], intToUtf8, ""))
    expect_identical(got$how[na], rep(NA_character_, sum(na)))
  }
})

# A set's values come point after point from the library and go into the
# columns of a matrix: each column its own table's, over more points than
# the glue handles at a time, NA rows in every column.
test_that("a set of many points gives each table's bits in its column", {
  set.seed(12)
  tables <- lapply(1:3, function(k) logk_table(values = matrix(runif(37 * 36, -12, 2), 37, 36)))
  s <- logk_table_set(setNames(tables, c("a", "b", "c")))
  n <- 70001L
  P <- exp(runif(n, log(0.5), log(6500)))
  T <- runif(n, -5, 720)
  P[c(2, 50000, n)] <- NA
  lk <- logk(s, P, T)
  all <- interpolate(s, P, T)
  slope <- slopes(s, P, T)
  for (r in 1:3) {
    name <- c("a", "b", "c")[r]
    expect_same_bits(lk[, r], logk(tables[[r]], P, T), label = name)
    expect_same_bits(all[[paste0("lk.", name)]], lk[, r], label = name)
    one <- slopes(tables[[r]], P, T)
    expect_same_bits(slope[[paste0("dlk_dT.", name)]], one$dlk_dT, label = name)
    expect_same_bits(slope[[paste0("dlk_dP.", name)]], one$dlk_dP, label = name)
  }
  expect_identical(which(is.na(lk[, 3L])), c(2L, 50000L, n))
})

# workers as every face reads it: the same bits whatever it is, and a number
# that leaves no thread refused with the library's words.
test_that("every number of workers gives the bits of one, and none is refused but one that leaves no thread", {
  q <- example("quartz")
  P <- seq(0.5, 6000, length.out = 50001)
  T <- seq(-5, 700, length.out = 50001)
  one <- logk(q, P, T)
  for (workers in c(2, 0, -1, 7, 2147483647, 1e12)) {
    expect_same_bits(logk(q, P, T, workers = workers), one, label = format(workers))
  }
  for (workers in c(-2147483647, -2147483648, -1e12)) {
    expect_error(logk(q, P, T, workers = workers), "^workers=-214748364[78] leaves no thread", class = "logk_error")
    expect_error(temperature_at(q, 100, -2.5, workers = workers), " leaves no thread", class = "logk_error")
  }
  for (bad in list(1.5, c(1, 2), NA, Inf, TRUE, "2")) {
    expect_error(logk(q, P, T, workers = bad), "workers must be one whole number", class = "logk_error")
  }
})
