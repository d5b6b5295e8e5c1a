# Points as R's vectorised functions take them: numbers (doubles passed on
# as they are, without a copy; integers coerced), the shorter of two
# recycled when it is one value long, and NA kept apart from NaN by the
# glue. A logical vector is NA alone: R reads a T or F that was never set
# as TRUE or FALSE, so interpolate(q, P, T) with no T of one's own would
# otherwise give log K at 1 degree.

.numbers <- function(x, name, what) {
  if (is.logical(x)) {
    if (!all(is.na(x))) {
      .stop(sprintf("%s holds TRUE or FALSE where %s are wanted (R reads a T or F never set as TRUE or FALSE): give %s as numbers",
                    name, what, name))
    }
    return(as.double(x))
  }
  if (!is.numeric(x)) .stop(sprintf("%s must be numbers (double or integer), not %s", name, class(x)[1L]))
  if (is.double(x)) x else as.double(x)
}

# Two coordinates, checked, with the number of points they make.
.points <- function(a, b, names, whats) {
  a <- .numbers(a, names[1L], whats[1L])
  b <- .numbers(b, names[2L], whats[2L])
  na <- length(a)
  nb <- length(b)
  if (na != nb && na != 1L && nb != 1L && na != 0L && nb != 0L) {
    .stop(sprintf("%s has %d values and %s has %d: give as many, or one to be recycled", names[1L], na, names[2L], nb))
  }
  n <- if (na == 0L || nb == 0L) 0L else max(na, nb)
  if (n > .Machine$integer.max) .stop("at most 2^31 - 1 points a call")
  list(a = a, b = b, n = n)
}

# `workers` as every face reads it (?`logk-workers`): one whole number, which
# the library takes or refuses, saying why.
.workers <- function(workers) {
  if (!is.numeric(workers) || length(workers) != 1L || !is.finite(workers) || workers != round(workers)) {
    .stop("workers must be one whole number: see ?`logk-workers`")
  }
  refused <- .Call(C_workers_refused, as.double(workers))
  if (!is.null(refused)) .stop(refused)
  as.double(workers)
}
