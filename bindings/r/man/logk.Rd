\name{logk}
\alias{logk}
\alias{logk.logk_table}
\alias{logk.logk_table_set}
\title{log K alone at points}
\description{
log K at each point (P, T), as \code{\link{interpolate}} gives it, to the bit,
without the stencil and flags: the fastest call.
}
\usage{
logk(x, P, T, workers = 1L, ...)
\method{logk}{logk_table}(x, P, T, workers = 1L, ...)
\method{logk}{logk_table_set}(x, P, T, workers = 1L, ...)
}
\arguments{
\item{x}{a \code{\link{logk_table}} or a \code{\link{logk_table_set}}.}
\item{P, T}{pressures in bar and temperatures in degrees Celsius, taken and
recycled as in \code{\link{interpolate}}.}
\item{workers}{the threads the call may run on: see \link{logk-workers}.}
\item{...}{unused.}
}
\value{A numeric vector for a table; for a set a matrix of a row per point
and a column per table, named by the tables.}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
logk(q, 500, seq(100, 300, by = 50))
}
