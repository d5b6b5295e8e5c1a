\name{nodes}
\alias{nodes}
\alias{nodes.logk_table}
\alias{nodes.logk_table_set}
\title{The nodes a table lies on}
\description{
A table's pressure and temperature nodes, as the C library gives them: the
fixed grid's 37 pressures (1 to 5000 bar) and 36 temperatures (0.01 to 600
degC), or the table's own. The tables of a set share theirs.
}
\usage{
nodes(x)
\method{nodes}{logk_table}(x)
\method{nodes}{logk_table_set}(x)
}
\arguments{
\item{x}{a \code{\link{logk_table}} or a \code{\link{logk_table_set}}.}
}
\value{A list of \code{pressures} (bar) and \code{temperatures} (degrees
Celsius), ascending: the arguments \code{\link{logk_table}} takes with a
matrix of values on them. A table along the saturation line has the one
pressure NaN.}
\examples{
v <- logk_table(system.file("extdata", "vapour_side.dat", package = "logk"))
nodes(v)
lengths(nodes(logk_table(system.file("extdata", "quartz.dat", package = "logk"))))
do.call(logk_table, c(list(values = v$values - 1), nodes(v)))  # another table on the same nodes
}
