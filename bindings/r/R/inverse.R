# The interpolation backwards: the first temperature (or pressure) at which
# log K takes a value, as the C library finds it.

temperature_at <- function(x, P, lk, between = c(0.01, 600)) {
  .crossing(x, TRUE, P, lk, between, c("P", "lk"), "T")
}

pressure_at <- function(x, T, lk, between = c(1, 5000)) {
  .crossing(x, FALSE, T, lk, between, c("T", "lk"), "P")
}

.crossing <- function(x, along_T, fixed, lk, between, names, answer) {
  if (!inherits(x, "logk_table")) .stop("the interpolation backwards takes a logk table")
  if (!is.numeric(between) || length(between) != 2L || anyNA(between)) {
    .stop("between must be two numbers, c(low, high)")
  }
  points <- .points(fixed, lk, names)
  out <- .Call(C_crossing, .handle(x), along_T, points$a, points$b, as.double(between[1L]), as.double(between[2L]))
  result <- data.frame(out[[1L]], how = out[[2L]], stringsAsFactors = FALSE)
  names(result)[1L] <- answer
  result
}
