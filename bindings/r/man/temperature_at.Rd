\name{temperature_at}
\alias{temperature_at}
\title{The temperature at which log K takes a value}
\description{
The interpolation backwards: going up from the first temperature of
\code{between} to the second, the first double T at which log K at pressure
P (as \code{\link{interpolate}} gives it, to the bit) crosses \code{lk}: log K
at the double just below T lies on the other side of \code{lk}, or equals it
at T. There is no tolerance; every machine gives the same bits.
}
\usage{
temperature_at(x, P, lk, between = NULL, workers = 1L)
}
\arguments{
\item{x}{a \code{\link{logk_table}}.}
\item{P}{pressures in bar, taken as in \code{\link{interpolate}}.}
\item{lk}{the values of log K, taken and recycled with \code{P} as in
\code{\link{interpolate}}.}
\item{between}{the range of temperatures searched, two numbers; by default
(\code{NULL}) from the table's first temperature node to its last: 0.01
to 600 degrees Celsius on the fixed grid, its own on a table of its own
nodes.}
\item{workers}{the threads the call may run on: see \link{logk-workers}. Every
number gives the same bits.}
}
\value{A data frame of \code{T} and \code{how}, the way the answer was found,
in the C library's words (\code{logk_how_meaning}, the one statement of them
for every face of logk):
\describe{
\item{\code{"C"}}{log K crosses the value inside one stencil, or takes it}
\item{\code{"J"}}{log K jumps over the value where the stencil changes; the answer is the first double past the jump}
\item{\code{"R"}}{rounding decides: log K lies within rounding of the value over more doubles than a search looks at one by one (2,097,152, some tens of milliseconds); the answer is the first not looked at, none before it is an answer, and whether and where log K first takes the value after it is not settled}
\item{\code{"N"}}{log K does not reach the value in the range; the answer is NaN}
}
\code{NA} in P or \code{lk} gives \code{NA} in both.}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
silica <- c(100, 200, 300)  # mg/kg of SiO2 in a hot spring's water
temperature_at(q, 100, log10(silica / 1000 / 60.08))  # its reservoir at 100 bar
}
