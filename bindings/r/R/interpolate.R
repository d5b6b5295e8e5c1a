# log K at points, for a table or a set of tables: the program's stencil
# selection and interpolation, with its bits.

interpolate <- function(x, P, T, workers = 1L, ...) UseMethod("interpolate")
logk <- function(x, P, T, workers = 1L, ...) UseMethod("logk")
slopes <- function(x, P, T, workers = 1L, ...) UseMethod("slopes")

# The glue's outputs (what: 0 log K, 1 every output, 2 the slopes), and the
# points where asked for them, recycled.
.call <- function(x, P, T, what, workers, points_too = FALSE) {
  points <- .points(P, T, c("P", "T"), c("pressures", "temperatures"))
  out <- .Call(C_evaluate, .handle(x), points$a, points$b, points$n, what, .workers(workers))
  if (!points_too) return(out)
  list(out = out, P = rep_len(points$a, points$n), T = rep_len(points$b, points$n))
}

interpolate.logk_table <- function(x, P, T, workers = 1L, ...) {
  got <- .call(x, P, T, 1L, workers, points_too = TRUE)
  out <- got$out
  data.frame(P = got$P, T = got$T, lk = out[[1L]], pidx = out[[2L]], tidx = out[[3L]], isoerr = out[[4L]],
             pterr = out[[5L]], stringsAsFactors = FALSE)
}

interpolate.logk_table_set <- function(x, P, T, workers = 1L, ...) {
  got <- .call(x, P, T, 1L, workers, points_too = TRUE)
  out <- got$out
  lk <- out[[1L]]
  colnames(lk) <- paste0("lk.", names(x))
  data.frame(P = got$P, T = got$T, lk, pidx = out[[2L]], tidx = out[[3L]], isoerr = out[[4L]], pterr = out[[5L]],
             stringsAsFactors = FALSE, check.names = FALSE)
}

logk.logk_table <- function(x, P, T, workers = 1L, ...) {
  .call(x, P, T, 0L, workers)[[1L]]
}

logk.logk_table_set <- function(x, P, T, workers = 1L, ...) {
  lk <- .call(x, P, T, 0L, workers)[[1L]]
  colnames(lk) <- names(x)
  lk
}

slopes.logk_table <- function(x, P, T, workers = 1L, ...) {
  out <- .call(x, P, T, 2L, workers)
  data.frame(dlk_dT = out[[1L]], dlk_dP = out[[2L]])
}

slopes.logk_table_set <- function(x, P, T, workers = 1L, ...) {
  out <- .call(x, P, T, 2L, workers)
  colnames(out[[1L]]) <- paste0("dlk_dT.", names(x))
  colnames(out[[2L]]) <- paste0("dlk_dP.", names(x))
  data.frame(out[[1L]], out[[2L]], check.names = FALSE)
}
