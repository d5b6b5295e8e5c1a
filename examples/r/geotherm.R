# Silica and neutral water along a geotherm, with logk's R package: the
# solubility of quartz and the ionisation constant of water, two tables made
# one set, so that each point's stencil is chosen once for both. 30 degC per
# km from 10 degC at the surface, hydrostatic pressure, every 500 m down to
# 15 km.
#   Rscript geotherm.R [quartz.dat [kw.dat]]
library(logk)
args <- commandArgs(trailingOnly = TRUE)
files <- c(quartz = if (length(args) >= 1) args[[1]] else "quartz.dat",
           kw = if (length(args) >= 2) args[[2]] else "kw.dat")
s <- logk_table_set(files)
k <- 0:30
pressure <- 1 + 98.1 * 0.5 * k       # bar
temperature <- 10 + 30 * 0.5 * k     # degC
at <- interpolate(s, pressure, temperature)  # lk.quartz and lk.kw, the stencil and flags once
# the neutral pH of water is -log Kw / 2
cat(sprintf("%.17g %.17g %d %d %.17g %.17g %s %s pH %.3f\n", at$P, at$T, at$pidx, at$tidx, at$lk.quartz, at$lk.kw,
            at$isoerr, at$pterr, -at$lk.kw / 2), sep = "")
