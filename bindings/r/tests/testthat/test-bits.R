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

test_that("every number of workers gives the bits of one", {
  q <- example("quartz")
  P <- seq(0.5, 6000, length.out = 50001)
  T <- seq(-5, 700, length.out = 50001)
  one <- logk(q, P, T)
  for (workers in c(2, 0, -1)) expect_identical(bits(logk(q, P, T, workers = workers)), bits(one))
  expect_error(logk(q, P, T, workers = 1.5), class = "logk_error")
  expect_error(logk(q, P, T, workers = c(1, 2)), class = "logk_error")
})
