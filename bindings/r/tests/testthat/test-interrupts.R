# Control-C during a long call: the library asks R's interrupt between its
# chunks, and every 50 ms while a read waits on a pipe; the glue raises it
# once the library has returned. A shell in the background sends SIGINT
# once the call is under way: once the mark made just before it exists, or
# once the process holds the pipe open. Should that never come, the shell
# gives up after half a minute and runs `otherwise`. An interrupt is never
# lost: without the library's check R would raise it once the call is
# done, so the test tells an interrupt inside the call from one after it.
interrupted <- function(ready, call, otherwise = "true") {
  script <- sprintf("i=0; until %s; do i=$((i + 1)); if [ $i -gt 3000 ]; then %s; exit; fi; sleep 0.01; done; kill -INT %d",
                    ready, otherwise, Sys.getpid())
  system2("sh", c("-c", shQuote(script)), wait = FALSE)
  returned <- FALSE
  tryCatch({
    force(call)
    returned <- TRUE
    for (i in seq_len(10000)) NULL  # R looks for an interrupt every some evaluations: one pending shows here
    "finished"
  }, interrupt = function(e) if (returned) "interrupted after the call" else "interrupted")
}

# A call that runs long once `mark` exists.
marked <- function(mark, call) {
  file.create(mark)
  call
}

# The glue's one call of the interpolation backwards, with nothing of R's
# after it, so that an interrupt R raises after the call comes after the flag.
solve_pressure <- function(x, T, lk) {
  .Call(logk:::C_solve, logk:::.handle(x), FALSE, as.double(T), as.double(lk), length(T), c(1, 5000), 1)
}

test_that("control-C stops a long interpolation backwards, inside the library's call", {
  skip_on_os("windows")
  set.seed(1)
  flat <- logk_table(values = matrix(1.5 + 1e-15 * rnorm(37 * 36), 37, 36))  # a millisecond a point
  subnormal <- logk_table(values = matrix(sample(0:4, 37 * 36, TRUE) * 5e-324, 37, 36))  # more
  T <- runif(15000, 0, 600)
  calls <- list(  # some tens of seconds each, uninterrupted
    flat = function() solve_pressure(flat, seq(0.01, 600, length.out = 25000), 1.5 + 2e-15),
    subnormal = function() solve_pressure(subnormal, T, logk(subnormal, runif(15000, 1, 5000), T)))
  for (name in names(calls)) {
    mark <- tempfile()
    got <- interrupted(paste("[ -e", shQuote(mark), "]"), marked(mark, calls[[name]]()))
    expect_identical(got, "interrupted", label = name)
  }
})

test_that("control-C stops a read of a named pipe whose writer has not come", {
  skip_on_os("windows")
  skip_if_not(dir.exists("/proc/self/fd"), "no /proc/self/fd to see the pipe opened by")
  skip_if(Sys.which("mkfifo") == "", "no mkfifo")
  fifo <- file.path(tempdir(), "waiting.dat")
  unlink(fifo)
  expect_identical(system2("mkfifo", shQuote(fifo)), 0L)
  fifo <- normalizePath(fifo)
  held <- sprintf("ls -l /proc/%d/fd | grep -qF -- %s", Sys.getpid(), shQuote(paste("->", fifo)))
  table <- system.file("extdata", "quartz.dat", package = "logk")
  got <- interrupted(held, logk_table(fifo), otherwise = paste("cat", shQuote(table), ">", shQuote(fifo)))
  expect_identical(got, "interrupted")
  unlink(fifo)
})
