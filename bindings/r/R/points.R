# Points as R's vectorised functions take them: numbers (double, integer
# or logical, coerced as R's arithmetic coerces them, and doubles passed on
# as they are, without a copy), the shorter of two recycled when it is one
# value long, and NA kept apart from NaN by the glue.

.numbers <- function(x, name) {
  if (is.factor(x) || !(is.numeric(x) || is.logical(x))) {
    .stop(sprintf("%s must be numbers (double, integer or logical), not %s", name, class(x)[1L]))
  }
  if (is.double(x)) x else as.double(x)
}

# Two coordinates, checked, with the number of points they make.
.points <- function(a, b, names) {
  a <- .numbers(a, names[1L])
  b <- .numbers(b, names[2L])
  na <- length(a)
  nb <- length(b)
  if (na != nb && na != 1L && nb != 1L && na != 0L && nb != 0L) {
    .stop(sprintf("%s has %d values and %s has %d: give as many, or one to be recycled", names[1L], na, names[2L], nb))
  }
  n <- if (na == 0L || nb == 0L) 0L else max(na, nb)
  if (n > .Machine$integer.max) .stop("at most 2^31 - 1 points a call")
  list(a = a, b = b, n = n)
}

# `workers`: one whole number; 1 the calling thread alone, more up to that
# many threads, 0 or below one per core the process may run on.
.workers <- function(workers) {
  if (!is.numeric(workers) || length(workers) != 1L || is.na(workers) || workers != round(workers)) {
    .stop("workers must be one whole number: 1 the calling thread alone, 0 every core")
  }
  as.integer(max(min(workers, .Machine$integer.max), -.Machine$integer.max))
}
