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
}
