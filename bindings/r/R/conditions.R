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
  kinds <- c(past_row = 1L, null_value = 2L, after_table = 3L)
  lines <- c(notes[1L], notes[3L], notes[4L])
  for (k in seq_along(kinds)) {
    message <- .Call(C_note_line, as.double(notes), kinds[[k]], path)
    if (!nzchar(message)) next
    warning(structure(class = c("logk_read_note", "warning", "condition"),
                      list(message = message, call = call, note = names(kinds)[k], path = path, line = lines[k],
                           values = if (k == 1L) notes[2L] else NA_real_)))
  }
}

# Signals a logk_error for what the caller gave.
.stop <- function(message, call = NULL) {
  stop(structure(class = c("logk_error", "error", "condition"), list(message = message, call = call)))
}
