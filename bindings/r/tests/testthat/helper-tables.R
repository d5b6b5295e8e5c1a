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

# A double's 16 hex digits, as tests/cases/cases.txt writes them; and back.
hex_of <- function(x) {
  bytes <- matrix(as.character(writeBin(as.double(x), raw(), size = 8L, endian = "big")), nrow = 8L)
  apply(bytes, 2L, paste, collapse = "")
}
from_hex <- function(hex) {
  digits <- paste(hex, collapse = "")
  pairs <- substring(digits, seq(1L, nchar(digits), 2L), seq(2L, nchar(digits), 2L))
  readBin(as.raw(strtoi(pairs, 16L)), "double", n = length(hex), size = 8L, endian = "big")
}

# A table file of the given lines, by default the example's: a row of 36
# values a line.
example_rows <- function() readLines(system.file("extdata", "quartz.dat", package = "logk"))
write_table <- function(path, rows = example_rows()) {
  writeLines(rows, path)
  path
}

# Doubles with the same bits, or the first points whose bits differ (a
# quick failure where a diff of every value would take minutes).
expect_same_bits <- function(got, expected, label = "") {
  expect_identical(length(got), length(expected), label = label)
  if (length(got) != length(expected)) return(invisible())
  differ <- which(colSums(matrix(bits(got) != bits(expected), nrow = 8L)) > 0)
  expect_identical(head(differ), integer(0), label = paste(label, "points whose bits differ"))
}
