\name{logk-workers}
\alias{logk-workers}
\title{Workers, and stopping a long call}
\description{
The calls that take \code{workers} (\code{\link{interpolate}}, \code{\link{logk}},
\code{\link{slopes}}, \code{\link{temperature_at}} and \code{\link{pressure_at}})
read it as every face of logk reads it, the C library's statement (in
\file{logk.h}):
\itemize{
\item \code{1}: the calling thread alone (the default);
\item \code{k} above 1: up to \code{k} threads;
\item \code{0} and \code{-1}: every core the process may run on (its CPU
affinity);
\item \code{-k}: every core but \code{k - 1}.
}
A value that leaves no thread (\code{-k} for \code{k} above the cores) is
refused with a \code{logk_error} whose message is the library's, such as
\code{"workers=-3 leaves no thread: this process may run on 2 cores (...)"};
so is anything but one whole number. A whole number beyond R's integers
means what the nearest of them means. Every result has the same bits
whatever the number.

The threads come from one pool that every call shares, made at the first
call that wants them and kept for the life of the process. A small call
runs on the calling thread alone, as waking others would cost more.
}
\section{Stopping a long call}{
Each call is one call of the C library, which asks R whether an interrupt
(control-C) is pending between chunks of its work (about a millisecond
each; some milliseconds of the interpolation backwards) and every 50 ms
while the read of a table waits on a pipe; the call stops, and R raises
the interrupt as usual, with no partial result.
}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
P <- seq(1, 5000, length.out = 100000)
identical(logk(q, P, 300, workers = 0), logk(q, P, 300))
tryCatch(logk(q, P, 300, workers = -1000), logk_error = conditionMessage)
}
