\name{logk_table}
\alias{logk_table}
\alias{print.logk_table}
\alias{format.logk_table}
\title{A log K table on the fixed pressure-temperature grid}
\description{
Reads a table file with the program's own reader (37 records of 36 values,
a record per pressure node, in every notation the program reads), or makes
a table of values. A table never changes once made, and survives a saved
session (\code{saveRDS}, or a worker of \pkg{parallel}): it is made again
from its values, or read again from its file.
}
\usage{
logk_table(path, values = NULL)
\method{print}{logk_table}(x, ...)
\method{format}{logk_table}(x, ...)
}
\arguments{
\item{path}{the table file's path, a character string.}
\item{values}{instead of a path, a numeric 37 x 36 matrix: a row per pressure
node from 1 to 5000 bar, a column per temperature node from 0.01 to 600
degC, as in the file.}
\item{x}{a table.}
\item{...}{unused.}
}
\value{A \code{logk_table}; \code{print} says where it came from.}
\section{Conditions}{
A file that cannot be read signals a condition of class
\code{logk_file_not_found} (message number 29), \code{logk_permission_denied}
(9), \code{logk_notation_error} (59, a character that is no part of a number;
64, a value that cannot be converted; 24, a file that ends early; 22, a line
too long) or \code{logk_error} (the rest), each also a \code{logk_error},
with fields \code{number}, \code{text} (the program's message), \code{path},
\code{line} and \code{column} (where the reader stopped).
}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
q
m <- matrix(-2.5, 37, 36)
logk_table(values = m)
tryCatch(logk_table("no-such-table.dat"), logk_file_not_found = function(e) e$number)
}
