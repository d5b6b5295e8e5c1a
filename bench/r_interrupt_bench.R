# How soon the R package answers control-C in its slowest call: the
# interpolation backwards on a table of subnormal values (multiples of the
# smallest double, about a millisecond and a half a point), SIGINT sent by
# a shell in the background some tenths of a second into each call: the
# seconds from the signal to R's interrupt, each round.
#   R_LIBS=<where the package is installed> Rscript bench/r_interrupt_bench.R [rounds]
#   (bench/run_r_bench.sh installs the library and the package for it)
library(logk)
args <- commandArgs(trailingOnly = TRUE)
rounds <- if (length(args) >= 1L) as.integer(args[1L]) else 5L
set.seed(1)
subnormal <- logk_table(values = matrix(sample(0:4, 1332, TRUE) * 5e-324, 37, 36))
n <- 20000  # some tens of seconds, uninterrupted
T <- runif(n, 0, 600)
lk <- logk(subnormal, runif(n, 1, 5000), T)
latency <- numeric(rounds)
for (round in seq_len(rounds)) {
  mark <- tempfile()
  sent <- tempfile()
  script <- sprintf("until [ -e %s ]; do sleep 0.01; done; sleep 0.%d; date +%%s.%%N > %s.part; mv %s.part %s; kill -INT %d",
                    mark, round, sent, sent, sent, Sys.getpid())
  system2("sh", c("-c", shQuote(script)), wait = FALSE)
  answered <- tryCatch({
    file.create(mark)
    pressure_at(subnormal, T, lk)
    NA_real_
  }, interrupt = function(e) as.numeric(Sys.time()))
  while (!file.exists(sent)) Sys.sleep(0.01)
  latency[round] <- answered - as.numeric(readLines(sent))
}
cat(sprintf("seconds from SIGINT to R's interrupt, pressure_at on a subnormal table: %s\n",
            paste(sprintf("%.3f", latency), collapse = " ")))
