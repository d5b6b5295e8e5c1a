\name{logk_version}
\alias{logk_version}
\alias{logk_build}
\title{The C library the package runs on}
\description{
\code{logk_version()} is the version of the logk C library in use, as the
library says it; \code{packageVersion("logk")} is the package's own, which
may be older than the library's. \code{logk_build()} is the build of the
library's batch loop in use: \code{"avx512"}, \code{"avx2"} or
\code{"baseline"}, for bug reports and benchmarks. Every build gives the same
bits.

The environment variable \env{LOGK_CPU}, read at the library's first call,
forces a build (\code{"baseline"}, \code{"avx2"} or \code{"avx512"}); where the
processor cannot run it, the library keeps its own choice and the result of
\code{logk_build()} has an attribute \code{note} saying so.
}
\usage{
logk_version()
logk_build()
}
\value{A character string.}
\examples{
logk_version()
logk_build()
}
