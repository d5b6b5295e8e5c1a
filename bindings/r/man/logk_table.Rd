\name{logk_table}
\alias{logk_table}
\alias{print.logk_table}
\alias{format.logk_table}
\title{A log K table, on the fixed pressure-temperature grid or on nodes of its own}
\description{
Reads a table file with the program's own reader (37 records of 36 values,
a record per pressure node, in every notation the program reads; or a file
that names its own nodes), or makes a table of values: on the fixed grid, or
on nodes of its own. A table never changes once made: it keeps its values
(some 10 KB on the grid) and its own nodes where it has them, so that it
survives a saved session (\code{saveRDS}, or a worker of \pkg{parallel}) as
it was, made again from them, whatever has become of its file since; it
still prints the path it was read from.
}
\usage{
logk_table(path, values = NULL, pressures = NULL, temperatures = NULL)
\method{print}{logk_table}(x, ...)
\method{format}{logk_table}(x, ...)
}
\arguments{
\item{path}{the table file's path, a character string. A named pipe is read
as its writer sends the table, and a read that waits for the writer can be
stopped with control-C (see \link{logk-workers}). A file whose first line
(not a comment) holds a word and the temperatures names its own nodes: then
a line a pressure node, the node and a value a temperature, by commas or
blanks, an empty field or \code{nan} for a missing value, \code{sat} for the
one row of a table along the saturation line (see the examples' files).}
\item{values}{instead of a path, a numeric matrix, a row per pressure node as
in the file (a logical one only if all \code{NA}, as in
\code{\link{interpolate}}). Alone, a 37 x 36 matrix on the fixed grid: a row
per pressure node from 1 to 5000 bar, a column per temperature node from 0.01
to 600 degC. With \code{pressures} and \code{temperatures}, an m x n matrix on
those nodes, \code{NA} or NaN where a value is missing (R's \code{NA} among a
table's values is a missing value, not a value not available: it does not
make log K \code{NA}).}
\item{pressures}{with \code{values}, the table's m pressure nodes in bar,
numbers; \code{NA} or NaN for the one node of a table along the saturation
line (as \code{sat} in a file).}
\item{temperatures}{with \code{values}, the table's n temperature nodes in
degrees Celsius, numbers.}
\item{x}{a table.}
\item{...}{unused.}
}
\value{A \code{logk_table}; \code{print} says where it came from and, for a
table on nodes of its own, \code{"on its own nodes, m x n"} or \code{"along
one line of n temperatures"}. \code{\link{nodes}} gives its nodes.}
\section{Tables on nodes of their own}{
The C library's header, \file{logk/logk.h}, states the rules of such tables
exactly, once for every face of logk. In brief: the nodes ascend strictly
and are finite, with at least three temperatures and either one pressure (a
table along one line, where the pressure takes no part) or at least three;
the stencil is centred on the nodes nearest the point; where its values miss
one, it moves up in pressure (\code{isoerr} \code{"W"}), and where no
complete stencil lies above, log K is NaN (\code{isoerr} \code{"E"}, as also
below the lowest pressure that has a value at the temperature);
\code{pterr} is \code{"N"} inside the nodes, \code{"W"} within one outermost
spacing of them and \code{"E"} beyond. Nodes and values that make no such
table are refused with a \code{logk_error} in the library's words; a matrix
whose dimensions do not fit the nodes, with R's. The sets of such tables are
in \code{\link{logk_table_set}}.
}
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
(where the reader stopped). A file that names its own nodes and is no table
fails so too, its message saying what is wrong where, such as \code{"t.dat,
line 3, column 1: the pressure node is missing: only a value may be missing
(message 59)"}.
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
such a file quietly. A file that names its own nodes passes nothing over.
}
\examples{
q <- logk_table(system.file("extdata", "quartz.dat", package = "logk"))
q
m <- matrix(-2.5, 37, 36)
logk_table(values = m)
tryCatch(logk_table("no-such-table.dat"), logk_file_not_found = function(e) e$number)

# Tables on nodes of their own: a file with its nodes (the vapour side of
# water left empty), the same from a matrix, and one along the saturation line.
v <- logk_table(system.file("extdata", "vapour_side.dat", package = "logk"))
v
nodes(v)
values <- rbind(c(-2.0, -1.8, -1.5, -1.3, NA, NA), c(-2.1, -1.9, -1.6, -1.4, -1.2, -1.1),
                c(-2.2, -2.0, -1.7, -1.5, -1.3, -1.2), c(-2.3, -2.1, -1.8, -1.6, -1.4, -1.3))
made <- logk_table(values = values, pressures = c(100, 500, 1000, 2000),
                   temperatures = c(25, 100, 200, 300, 400, 500))
identical(logk(made, 100, 450), logk(v, 100, 450))
interpolate(v, c(100, 1000), c(450, 450))
calcite <- logk_table(system.file("extdata", "calcite.dat", package = "logk"))
calcite
logk(calcite, NaN, c(25, 80, 175))
}
