# Failures as R conditions with classes, so that tryCatch() can pick them:
# a file that cannot be read is a logk_file_not_found (29), a
# logk_permission_denied (9), a logk_notation_error (22, 24, 59, 64) or a
# plain logk_error, each with the program's message number and text, the
# path, and the line and column where the reader stopped; arguments logk
# cannot take are a logk_error.

# What each of the program's message numbers means, in plain words.
.meanings <- c(
  "9" = "permission to read the file is denied",
  "22" = "a line is too long (at most 64 MiB)",
  "24" = "the file ends before its 37 x 36 values (or inside a quote or parenthesis)",
  "29" = "no such file",
  "30" = "the file cannot be opened",
  "39" = "the file could not be read",
  "42" = "no such device",
  "43" = "the path cannot be used (too long, or too many links)",
  "59" = "a character that is no part of a number",
  "64" = "a value that cannot be converted (out of range, malformed after its exponent, or quoted text)"
)
.classes <- c("9" = "logk_permission_denied", "22" = "logk_notation_error", "24" = "logk_notation_error",
              "29" = "logk_file_not_found", "59" = "logk_notation_error", "64" = "logk_notation_error")

# The condition for a table file that could not be read: `failure` is the
# glue's list(number, text, line, column).
.read_failure <- function(failure, path, call) {
  number <- failure[[1L]]
  line <- failure[[3L]]
  column <- failure[[4L]]
  where <- path
  if (line > 0) where <- paste0(where, ", line ", line, if (column > 0) paste0(", column ", column))
  meaning <- .meanings[as.character(number)]
  message <- if (is.na(meaning)) paste0(where, ": ", failure[[2L]]) else
    paste0(where, ": ", meaning, " (message ", number, ")")
  class <- .classes[as.character(number)]
  structure(class = c(if (!is.na(class)) unname(class), "logk_error", "error", "condition"),
            list(message = message, call = call, number = number, text = failure[[2L]], path = path,
                 line = line, column = column))
}

# Signals a logk_error for what the caller gave.
.stop <- function(message, call = NULL) {
  stop(structure(class = c("logk_error", "error", "condition"), list(message = message, call = call)))
}
