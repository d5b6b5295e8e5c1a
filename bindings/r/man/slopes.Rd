\name{slopes}
\alias{slopes}
\alias{slopes.logk_table}
\alias{slopes.logk_table_set}
\title{The slopes of the interpolant at points}
\description{
d log K / dT (per degree Celsius) and d log K / dP (per bar) of the
interpolating polynomial on each point's own stencil: the slopes of the
interpolant, not of the data the table was made from; like log K they jump
where the stencil changes. d log K / dT gives the reaction enthalpy by
van 't Hoff.
}
\usage{
slopes(x, P, T, workers = 1L, ...)
\method{slopes}{logk_table}(x, P, T, workers = 1L, ...)
\method{slopes}{logk_table_set}(x, P, T, workers = 1L, ...)
}
\arguments{
\item{x}{a \code{\link{logk_table}} or a \code{\link{logk_table_set}}.}
\item{P, T}{pressures in bar and temperatures in degrees Celsius, taken and
recycled as in \code{\link{interpolate}}.}
\item{workers}{the threads the call may run on: see \link{logk-workers}.}
\item{...}{unused.}
}
\value{A data frame of \code{dlk_dT} and \code{dlk_dP}; for a set, of
\code{dlk_dT.}\emph{name} and \code{dlk_dP.}\emph{name} for each table.}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
slopes(q, 500, 300)
}
