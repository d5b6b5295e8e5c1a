# One table, a few points, with logk's R package: for each point, log K, the
# stencil and the two flags, as the program writes them in logk.out.
#   Rscript one_table.R [quartz.dat]
library(logk)
args <- commandArgs(trailingOnly = TRUE)
path <- if (length(args) >= 1) args[[1]] else "quartz.dat"
q <- logk_table(path)
pressure <- c(500, 100, 0.5, 170, 7000)     # bar
temperature <- c(300, 200, 300, 375, 300)   # degC
at <- interpolate(q, pressure, temperature) # a data frame: P, T, lk, pidx, tidx, isoerr, pterr
cat(sprintf("%.17g %.17g %d %d %.17g %s %s\n", at$P, at$T, at$pidx, at$tidx, at$lk, at$isoerr, at$pterr), sep = "")
