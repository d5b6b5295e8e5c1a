\name{pressure_at}
\alias{pressure_at}
\title{The pressure at which log K takes a value}
\description{
As \code{\link{temperature_at}}, going up in pressure at a temperature: the
first double P from the first pressure of \code{between} to the second at
which log K at temperature T crosses \code{lk}.
}
\usage{
pressure_at(x, T, lk, between = NULL, workers = 1L)
}
\arguments{
\item{x}{a \code{\link{logk_table}}.}
\item{T}{temperatures in degrees Celsius, taken as in \code{\link{interpolate}}.}
\item{lk}{the values of log K, taken and recycled with \code{T} as in
\code{\link{interpolate}}.}
\item{between}{the range of pressures searched, two numbers; by default
(\code{NULL}) from the table's first pressure node to its last: 1 to 5000
bar on the fixed grid, its own on a table of its own nodes.}
\item{workers}{the threads the call may run on: see \link{logk-workers}.}
}
\value{A data frame of \code{P} and \code{how}, as \code{\link{temperature_at}}
gives \code{T} and \code{how} (whose words are there).}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
pressure_at(q, 300, logk(q, 2000, 300))
}
