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
