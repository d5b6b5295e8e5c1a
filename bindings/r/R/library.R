# The C library the package runs on: its version and the build of its
# batch loop in use.

logk_version <- function() .Call(C_version)

logk_build <- function() {
  build <- .Call(C_build)
  if (nzchar(build$note)) structure(build$build, note = build$note) else build$build
}
