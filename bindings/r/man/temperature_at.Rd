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
temperature_at(x, P, lk, between = c(0.01, 600))
}
\arguments{
\item{x}{a \code{\link{logk_table}}.}
\item{P}{pressures in bar.}
\item{lk}{the values of log K, recycled with \code{P} as in
\code{\link{interpolate}}.}
\item{between}{the range of temperatures searched, two numbers.}
}
\value{A data frame of \code{T} and \code{how}: \code{"C"} where log K
crosses the value inside one stencil (or takes it), \code{"J"} where it jumps
over it at a change of stencil (T the first double past the jump), \code{"R"}
where rounding decides (log K lies within rounding of the value over more
doubles than are looked at one by one, 2,097,152 in all: T is the first not
looked at, none before it is an answer, and whether and where log K first
takes the value after it is not settled), \code{"N"} where it does not reach
the value (T is
\code{NaN}). \code{NA} in P or \code{lk} gives \code{NA}.}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
silica <- c(100, 200, 300)  # mg/kg of SiO2 in a hot spring's water
temperature_at(q, 100, log10(silica / 1000 / 60.08))  # its reservoir at 100 bar
}
