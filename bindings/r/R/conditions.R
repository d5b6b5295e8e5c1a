# Failures as R conditions with classes, so that tryCatch() can pick them:
# the library says which class a message number is (a logk_file_not_found,
# a logk_permission_denied, a logk_notation_error, or else a plain
# logk_error) and gives the one line the condition shows; the condition
# keeps the program's message number and text, the path, and the line and
# column where the reader stopped. Arguments logk cannot take are a
# logk_error. What a reading passed over is a warning of class
# logk_read_note.

# The condition for a table file that could not be read: `failure` is the
# glue's list(number, text, line, column, class, message).
.read_failure <- function(failure, path, call) {
  structure(class = c(if (nzchar(failure$class)) failure$class, "logk_error", "error", "condition"),
            list(message = failure$message, call = call, number = failure$number, text = failure$text,
                 path = path, line = failure$line, column = failure$column))
}

# A warning for each thing the reading of `path` passed over, as the glue
# gives them: the lines of c(past_row_line, past_row_values, null_line,
# after_table_line), 0 for none.
.read_notes <- function(notes, path, call) {
  note <- function(kind, line, values, what) {
    message <- sprintf("%s, line %.0f: %s", path, line, what)
    warning(structure(class = c("logk_read_note", "warning", "condition"),
                      list(message = message, call = call, note = kind, path = path, line = line, values = values)))
  }
  if (notes[1L] > 0) {
    note("past_row", notes[1L], notes[2L],
         sprintf("the line holds %.0f values; those past the 36th of a row are passed over (does each line start with its pressure?)",
                 notes[2L]))
  }
  if (notes[3L] > 0) note("null_value", notes[3L], NA_real_, "a null value (',,' or '/') leaves a cell of the table at 0.0")
  if (notes[4L] > 0) {
    note("after_table", notes[4L], NA_real_,
         "values after the table's 37 rows are passed over (is a header of temperatures on top?)")
  }
}

# Signals a logk_error for what the caller gave.
.stop <- function(message, call = NULL) {
  stop(structure(class = c("logk_error", "error", "condition"), list(message = message, call = call)))
}
