# A table of one's own nodes, with logk's R package: log K of calcite along
# the saturation curve at the eight temperatures a database lists (as in
# calcite.dat), its nodes, and for a few points log K, the stencil and the
# two flags, as the program writes them in logk.out for calcite.dat.
#   Rscript own_nodes.R
library(logk)
# One pressure node: a table along one line. NA is the saturation line
# (calcite.dat's sat); the pressure takes no part. A row per pressure node.
calcite <- logk_table(values = rbind(c(-8.38, -8.48, -8.75, -9.13, -9.64, -10.20, -10.81, -11.48)),
                      pressures = NA, temperatures = c(0.01, 25, 60, 100, 150, 200, 250, 300))
own <- nodes(calcite)                      # a list: pressures, temperatures
cat(sprintf("%d x %d nodes, %g to %g degC\n", length(own$pressures), length(own$temperatures),
            own$temperatures[1], own$temperatures[length(own$temperatures)]))
# The last two lie beyond 300 degC: within one node spacing (pterr W), and
# beyond it (pterr E).
pressure <- c(1, 2.3, 59.4, 112.9, 250)    # bar
temperature <- c(40, 125, 275, 320, 400)   # degC
at <- interpolate(calcite, pressure, temperature)
cat(sprintf("%.17g %.17g %d %d %.17g %s %s\n", at$P, at$T, at$pidx, at$tidx, at$lk, at$isoerr, at$pterr), sep = "")
