\name{interpolate}
\alias{interpolate}
\alias{interpolate.logk_table}
\alias{interpolate.logk_table_set}
\title{The program's results at points: log K, the stencil and the flags}
\description{
For each point (P, T), the stencil selection and the biquadratic
interpolation of the program \code{logk}, with its bits: log K, the
stencil's lowest pressure node \code{pidx} (1 to 35) and highest temperature
node \code{tidx} (3 to 36), and the flags \code{isoerr} and \code{pterr}
(\code{"N"}, \code{"W"} or \code{"E"}). On a table of nodes of its own the
rules are those of such tables (see \code{\link{logk_table}}): \code{pidx}
and \code{tidx} count its own nodes (\code{pidx} 1 along one line), and a
stencil that misses a value moves up in pressure.
}
\usage{
interpolate(x, P, T, workers = 1L, ...)
\method{interpolate}{logk_table}(x, P, T, workers = 1L, ...)
\method{interpolate}{logk_table_set}(x, P, T, workers = 1L, ...)
}
\arguments{
\item{x}{a \code{\link{logk_table}} or a \code{\link{logk_table_set}}.}
\item{P}{pressures in bar: double or integer. A logical vector is taken only
when it is all \code{NA}: \code{TRUE} and \code{FALSE} are refused, since R reads a
\code{T} or \code{F} never set as \code{TRUE} or \code{FALSE} (\code{interpolate(q, P, T)}
with no \code{T} of one's own would be log K at 1 degC).}
\item{T}{temperatures in degrees Celsius, taken as \code{P} is. One of \code{P}
and \code{T} may be of length one and is recycled; otherwise they are as long
as each other.}
\item{workers}{the threads the call may run on: see \link{logk-workers}, which
also says how a long call is stopped. Every number gives the same bits.}
\item{...}{unused.}
}
\value{A data frame of \code{P}, \code{T}, \code{lk} (for a set one column
\code{lk.}\emph{name} per table), \code{pidx}, \code{tidx}, \code{isoerr} and
\code{pterr}. A point with \code{NA} in P or T has \code{NA} in every output;
a NaN that is no \code{NA} is interpolated as the program does.}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
interpolate(q, c(500, 100, 0.5), c(300, 200, 300))
}
