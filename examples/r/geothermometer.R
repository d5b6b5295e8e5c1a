# A quartz geothermometer with logk's R package: the reservoir temperature
# of a hot spring's water from the silica it holds (see the C example
# geothermometer.c, whose lines this prints too), at 100 and 500 bar, and
# the temperature at which neutral water has pH 6.0 at 100 bar.
#   Rscript geothermometer.R [quartz.dat [kw.dat [SiO2 mg/kg ...]]]
library(logk)
args <- commandArgs(trailingOnly = TRUE)
quartz <- logk_table(if (length(args) >= 1) args[[1]] else "quartz.dat")
water <- logk_table(if (length(args) >= 2) args[[2]] else "kw.dat")
silica <- if (length(args) >= 3) as.numeric(args[-(1:2)]) else c(100, 200, 300)  # mg/kg
log_m <- log10(silica / 1000 / 60.08)  # mol/kg of SiO2, 60.08 g/mol
for (pressure in c(100, 500)) {        # bar
  found <- temperature_at(quartz, pressure, log_m)
  at <- interpolate(quartz, pressure, found$T)  # the stencil and flags where the answers lie
  cat(sprintf("SiO2 %g mg/kg at %g bar: %.17g degC %s stencil %d %d flags %s %s\n", silica, pressure, found$T,
              found$how, at$pidx, at$tidx, at$isoerr, at$pterr), sep = "")
}
pH6 <- temperature_at(water, 100, -12)  # pH 6.0 = -log Kw / 2
cat(sprintf("neutral pH 6.0 at %g bar: %.17g degC %s\n", 100, pH6$T, pH6$how))
