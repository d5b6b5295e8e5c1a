# The interpolation backwards: a value the line takes is found at or before
# its point, over the default ranges; ranges are two numbers.
test_that("temperature_at and pressure_at find a value the line takes", {
  q <- example("quartz")
  expect_equal(pressure_at(q, 300, logk(q, c(500, 2000, 4500), 300))$P, c(500, 2000, 4500), tolerance = 1e-9)
  found <- temperature_at(q, 100, logk(q, 100, c(150, 250)))
  expect_identical(found$how, c("C", "C"))
  expect_equal(found$T, c(150, 250), tolerance = 1e-9)
  expect_identical(temperature_at(q, 100, 10)$how, "N")
  for (bad in list(5, c("0.01", "600"), c(0.01, NA))) {
    expect_error(temperature_at(q, 100, -2.5, between = bad), "between must be two numbers", class = "logk_error")
  }
  expect_error(temperature_at(logk_table_set(list(q = q)), 100, -2.5), class = "logk_error")
})

test_that("the interpolation backwards gives the bits of one worker on any number", {
  q <- example("quartz")
  P <- seq(1, 5000, length.out = 20000)
  y <- logk(q, P, 300)
  one <- pressure_at(q, 300, y)
  for (workers in c(2, 0, -1)) {
    expect_identical(bits(temperature_at(q, P, y, workers = workers)$T), bits(temperature_at(q, P, y)$T))
    expect_identical(pressure_at(q, 300, y, workers = workers), one)
  }
})

# The words for how are the library's, and its help page says them.
test_that("the help of temperature_at gives the library's words for how", {
  rd <- tools::Rd_db("logk")[["temperature_at.Rd"]]
  text <- gsub("\\s+", " ", paste(as.character(rd), collapse = ""))
  for (how in c("C", "J", "R", "N")) {
    meaning <- .Call(logk:::C_how_meaning, how)
    expect_true(is.character(meaning) && grepl(meaning, text, fixed = TRUE), label = how)
  }
})
