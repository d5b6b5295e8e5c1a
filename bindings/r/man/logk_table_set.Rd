\name{logk_table_set}
\alias{logk_table_set}
\alias{print.logk_table_set}
\alias{format.logk_table_set}
\alias{names.logk_table_set}
\alias{length.logk_table_set}
\title{A set of log K tables, for the reactions of one system}
\description{
Many tables on the grid: each point's stencil and flags are chosen once, and
log K of every table follows, each with the bits its own table gives. A set
of any number of tables costs less a value than its tables called one by
one. A set survives a saved session as its tables do, with their values.
The tables of a set lie on the same nodes (all on the fixed grid, or all on
the same nodes of their own) and, on nodes of their own, miss the same
values, so that each point's stencil is that of every table; others are
refused with a \code{logk_error} in the C library's words (whose header,
\file{logk/logk.h}, states the rules), which count the tables from 0.
}
\usage{
logk_table_set(tables)
\method{print}{logk_table_set}(x, ...)
\method{format}{logk_table_set}(x, ...)
\method{names}{logk_table_set}(x)
\method{length}{logk_table_set}(x)
}
\arguments{
\item{tables}{a list of \code{\link{logk_table}}s, its names the tables' names
(\code{"1"}, \code{"2"}, ... where it has none), or a character vector of
table files' paths, named by its names or else by the files' stems, each read
as \code{\link{logk_table}} reads it (with its warnings).}
\item{x}{a set.}
\item{...}{unused.}
}
\value{A \code{logk_table_set}; \code{names} and \code{length} give its
tables' names and number.}
\examples{
files <- system.file("extdata", c("quartz.dat", "kw.dat"), package = "logk")
s <- logk_table_set(files)
s
names(s)
logk(s, c(100, 500), 300)
v <- logk_table(system.file("extdata", "vapour_side.dat", package = "logk"))
logk(logk_table_set(list(v = v, lower = logk_table(values = v$values - 1, pressures = nodes(v)$pressures,
                                                   temperatures = nodes(v)$temperatures))), 500, 250)
tryCatch(logk_table_set(list(v = v, quartz = logk_table(files[1]))), logk_error = conditionMessage)
}
