# The example tables installed with the package, and the C interface called
# once on whole vectors (no chunks, no recycling, no NA), which the
# package's functions are held to.
example <- function(name) logk_table(system.file("extdata", paste0(name, ".dat"), package = "logk"))

once <- function(x, P, T) .Call(logk:::C_interpolate_once, logk:::.handle(x), as.double(P), as.double(T), 1L)

bits <- function(x) writeBin(as.double(x), raw())

# Points on and next to every node and threshold of the grid, random ones,
# and what no table holds: NaN, NA, infinities, no pressure.
test_points <- function(n = 3000) {
  set.seed(30)
  nodes_P <- c(1, 1.0133, 2.321, 4.758, 8.919, 15.537, 25.479, 39.737, 59.432, 85.839, 120.458, 165.212,
               seq(200, 1000, 50), seq(1500, 5000, 500), 0, 0.5, 1.013, 6000)
  nodes_T <- c(0.01, seq(25, 350, 25), 400, seq(410, 600, 10), 700, -5)
  edge <- function(x) c(x, x * (1 + 2^-52), x * (1 - 2^-52))
  P <- c(rep(edge(nodes_P), length.out = n / 2), exp(runif(n / 2, log(0.5), log(6500))),
         NaN, NA, Inf, -Inf, 500, 0, -1)
  T <- c(rep(edge(nodes_T), length.out = n / 2), runif(n / 2, -5, 720), 300, 300, 300, 300, NaN, NA, -Inf)
  list(P = P, T = T)
}
