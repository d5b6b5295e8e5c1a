# The interpolation backwards: the first temperature (or pressure) at which
# log K takes a value, as the C library finds it.

temperature_at <- function(x, P, lk, between = NULL, workers = 1L) {
  .crossing(x, TRUE, P, lk, between, workers, c("P", "lk"), c("pressures", "log K values"), "T", "temperatures")
}

pressure_at <- function(x, T, lk, between = NULL, workers = 1L) {
  .crossing(x, FALSE, T, lk, between, workers, c("T", "lk"), c("temperatures", "log K values"), "P", "pressures")
}

.crossing <- function(x, along_T, fixed, lk, between, workers, names, whats, answer, range) {
  if (!inherits(x, "logk_table")) .stop("the interpolation backwards takes a logk table")
  if (is.null(between)) {  # the table's first and last nodes of the axis
    axis <- nodes(x)[[if (along_T) "temperatures" else "pressures"]]
    between <- c(axis[1L], axis[length(axis)])
  }
  if (is.logical(between)) between <- .numbers(between, "between", range)  # TRUE or FALSE refused as for points
  if (!is.numeric(between) || length(between) != 2L || anyNA(between)) {
    .stop("between must be two numbers, c(low, high)")
  }
  points <- .points(fixed, lk, names, whats)
  out <- .Call(C_solve, .handle(x), along_T, points$a, points$b, points$n, as.double(between), .workers(workers))
  result <- data.frame(out[[1L]], how = out[[2L]], stringsAsFactors = FALSE)
  names(result)[1L] <- answer
  result
}
