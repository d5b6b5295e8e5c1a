\name{logk_table}
\alias{logk_table}
\alias{print.logk_table}
\alias{format.logk_table}
\title{A log K table on the fixed pressure-temperature grid}
\description{
Reads a table file with the program's own reader (37 records of 36 values,
a record per pressure node, in every notation the program reads), or makes
a table of values. A table never changes once made: it keeps its values
(some 10 KB), so that it survives a saved session (\code{saveRDS}, or a worker
of \pkg{parallel}) as it was, made again from them, whatever has become of
its file since; it still prints the path it was read from.
}
\usage{
logk_table(path, values = NULL)
\method{print}{logk_table}(x, ...)
\method{format}{logk_table}(x, ...)
}
\arguments{
\item{path}{the table file's path, a character string. A named pipe is read
as its writer sends the table, and a read that waits for the writer can be
stopped with control-C (see \link{logk-workers}).}
\item{values}{instead of a path, a numeric 37 x 36 matrix: a row per pressure
node from 1 to 5000 bar, a column per temperature node from 0.01 to 600
degC, as in the file (a logical one only if all \code{NA}, as in
\code{\link{interpolate}}).}
\item{x}{a table.}
\item{...}{unused.}
}
\value{A \code{logk_table}; \code{print} says where it came from.}
\section{Conditions}{
A file that cannot be read signals a condition of the class the C library
gives its message number: \code{logk_file_not_found} (29),
\code{logk_permission_denied} (9), \code{logk_notation_error} (the file's text
is no table: 59, a character that is no part of a number; 64, a value that
cannot be converted; 24, a file that ends early; 22, a line too long) or
\code{logk_error} (the rest), each also a \code{logk_error}. Its message is the
library's one line, such as \code{"q.dat, line 12, column 7: a character that
is no part of a number (message 59)"}; its fields are \code{number},
\code{text} (the program's message), \code{path}, \code{line} and \code{column}
(where the reader stopped).
}
\section{Warnings}{
A file that loads may still hold what its reading passed over, as the
program passes over it; each kind gives a warning of class
\code{logk_read_note} that names the file and its first line of the kind,
with fields \code{note}, \code{path}, \code{line} and \code{values}:
\describe{
\item{\code{"past_row"}}{a line holds values past the 36th of its row (their
number in \code{values}): a file with each pressure first on its line is not
the table meant;}
\item{\code{"null_value"}}{a null value (\code{",,"} or \code{"/"}) leaves a cell
of the table at 0.0;}
\item{\code{"after_table"}}{a line after the table's 37 rows holds values: a
header of temperatures on top leaves the last row there.}
}
\code{suppressWarnings(logk_table(path), classes = "logk_read_note")} reads
such a file quietly.
}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
q
m <- matrix(-2.5, 37, 36)
logk_table(values = m)
tryCatch(logk_table("no-such-table.dat"), logk_file_not_found = function(e) e$number)
}
