# The R package's logk() beside the C call it makes, on 10^7 points of the
# library benchmark's kind, one core, in alternating rounds (best of each):
#   - logk(q, P, T): checks its arguments, makes its result, makes one call
#     of the library with R's interrupt as its stop check, and looks for NA;
#   - the C call into a new vector, as logk() must make one;
#   - the C call into a vector made before, as a C model that keeps its
#     arrays calls it;
#   - making and first touching a new vector of as many doubles alone.
# One call a timing, after a garbage collection, so that every new vector
# is new memory (R's clock counts milliseconds: 10^7 points take some
# hundreds).
#   R_LIBS=<where the package is installed> Rscript bench/r_bench.R [quartz.dat] [points] [rounds]
#   (bench/run_r_bench.sh installs the library and the package for it)
library(logk)
args <- commandArgs(trailingOnly = TRUE)
path <- if (length(args) >= 1L) args[1L] else system.file("extdata", "quartz.dat", package = "logk")
n <- if (length(args) >= 2L) as.integer(args[2L]) else 10000000L
rounds <- if (length(args) >= 3L) as.integer(args[3L]) else 11L
set.seed(1994)
P <- ifelse(seq_len(n) %% 2L == 1L, exp(runif(n, log(0.5), log(6500))), runif(n, 0.5, 6500))
T <- runif(n, -5, 720)
q <- logk_table(path)
handle <- logk:::.handle(q)
kept <- numeric(n)
calls <- list(
  "logk(q, P, T)" = function() logk(q, P, T),
  "C call, new vector" = function() .Call(logk:::C_interpolate_once, handle, P, T, 0L),
  "C call, kept vector" = function() .Call(logk:::C_logk_into, handle, P, T, kept),
  "new vector alone" = function() numeric(n)
)
invisible(.Call(logk:::C_logk_into, handle, P, T, kept))
stopifnot(identical(logk(q, P, T), kept))
seconds <- function(f) system.time(f(), gcFirst = TRUE)[["elapsed"]]
best <- setNames(rep(Inf, length(calls)), names(calls))
for (round in seq_len(rounds)) {
  for (name in names(calls)) best[name] <- min(best[name], seconds(calls[[name]]))
}
cat(sprintf("points %d, best of %d alternating rounds, ns per point\n", n, rounds))
for (name in names(calls)) cat(sprintf("%-22s %7.2f\n", name, best[name] / n * 1e9))
cat(sprintf("logk() / C call into a new vector: %.2f; into a kept one: %.2f\n",
            best[1L] / best[2L], best[1L] / best[3L]))
