#!/usr/bin/env Rscript
# The R reference, from the package's own Rd pages: each page parsed by R's
# Rd parser (tools::parse_Rd) and written as reStructuredText, one page per
# Rd file, with an index page; \link{} to another page's alias becomes a
# link to it. A macro this script does not know stops it, naming the file,
# rather than be dropped from the page.
#   Rscript rd2rst.R <man directory> <output directory>
args <- commandArgs(trailingOnly = TRUE)
man_dir <- args[[1]]
out_dir <- args[[2]]

tag <- function(x) {
  t <- attr(x, "Rd_tag")
  if (is.null(t)) "" else t
}

files <- sort(list.files(man_dir, pattern = "\\.Rd$", full.names = TRUE))
pages <- lapply(files, function(f) tools::parse_Rd(f, permissive = FALSE))
page_names <- sub("\\.Rd$", "", basename(files))

section <- function(rd, name) {
  for (x in rd) if (tag(x) == name) return(x)
  NULL
}
sections <- function(rd, name) Filter(function(x) tag(x) == name, rd)
flat <- function(x) paste(unlist(x), collapse = "")

# Every alias names the page it is on, for \link{}.
alias_page <- character()
for (k in seq_along(pages)) {
  for (a in sections(pages[[k]], "\\alias")) alias_page[[trimws(flat(a))]] <- page_names[[k]]
}

escape <- function(text) {
  text <- gsub("\\", "\\\\", text, fixed = TRUE)
  text <- gsub("([*`|])", "\\\\\\1", text)
  gsub("(\\w)_(?=\\W|$)", "\\1\\\\_", text, perl = TRUE)
}

current_file <- ""
fail <- function(what) stop(sprintf("%s: %s is not known to rd2rst.R", current_file, what), call. = FALSE)

# Inline markup as pieces: list(text, markup = TRUE/FALSE); markup pieces are
# joined to their neighbours with "\ " where reStructuredText needs space.
inline <- function(x) {
  t <- tag(x)
  if (t %in% c("TEXT", "RCODE", "VERB")) return(list(list(escape(flat(x)), FALSE)))
  if (t == "COMMENT") return(list())
  content <- function() flat_text(x)
  switch(t,
    "\\code" = , "\\file" = , "\\env" = , "\\option" = , "\\samp" = , "\\kbd" = , "\\verb" = {
      links <- Filter(function(y) tag(y) == "\\link", x)
      if (length(links) == 1 && length(x) == 1) return(inline(links[[1]]))
      list(list(paste0("``", gsub("\\s+", " ", plain(x)), "``"), TRUE))
    },
    "\\link" = {
      target <- trimws(plain(x))
      option <- attr(x, "Rd_option")
      if (is.null(option) && !is.na(alias_page[target])) {
        list(list(sprintf(":ref:`%s <r-%s>`", target, alias_page[[target]]), TRUE))
      } else {
        list(list(paste0("``", target, "``"), TRUE))
      }
    },
    "\\emph" = , "\\var" = , "\\dfn" = list(list(paste0("*", content(), "*"), TRUE)),
    "\\strong" = , "\\pkg" = list(list(paste0("**", content(), "**"), TRUE)),
    "\\sQuote" = list(list(paste0("\u2018", content(), "\u2019"), FALSE)),
    "\\dQuote" = list(list(paste0("\u201c", content(), "\u201d"), FALSE)),
    "\\dots" = , "\\ldots" = list(list("...", FALSE)),
    "\\R" = list(list("R", FALSE)),
    "\\cr" = list(list(" ", FALSE)),
    "\\url" = list(list(paste0("`<", plain(x), ">`_"), TRUE)),
    "\\href" = list(list(sprintf("`%s <%s>`_", flat_text(x[[2]]), plain(x[[1]])), TRUE)),
    "\\eqn" = list(list(paste0("``", plain(x[[1]]), "``"), TRUE)),
    fail(t)
  )
}

# The text of a node as it reads, markup dropped (for code, links, URLs).
plain <- function(x) {
  t <- tag(x)
  if (t %in% c("TEXT", "RCODE", "VERB")) return(flat(x))
  if (t %in% c("\\dots", "\\ldots")) return("...")
  if (t == "\\R") return("R")
  if (t == "COMMENT") return("")
  paste(vapply(x, plain, ""), collapse = "")
}

join <- function(pieces) {
  out <- ""
  last_markup <- FALSE
  for (p in pieces) {
    text <- p[[1]]
    markup <- p[[2]]
    if (nchar(out) > 0 && nchar(text) > 0) {
      before <- substr(out, nchar(out), nchar(out))
      after <- substr(text, 1, 1)
      # reStructuredText's markup starts after a space or an opening mark,
      # and ends before a space or a closing mark; elsewhere "\ " parts it.
      opens <- markup && !grepl("[[[:space:]\"'(<{/:-]", before)
      closes <- last_markup && !grepl("[][:space:]\"').,;:!?>}/-]", after)
      if (opens || closes) out <- paste0(out, "\\ ")
    }
    out <- paste0(out, text)
    last_markup <- markup
  }
  out
}

flat_text <- function(x) join(unlist(lapply(x, inline), recursive = FALSE))

# Block content: paragraphs, and lists, as lines.
blocks <- function(x) {
  lines <- character()
  pieces <- list()
  flush <- function() {
    if (length(pieces) > 0) {
      text <- join(pieces)
      for (para in strsplit(text, "\n[ \t]*\n")[[1]]) {
        para <- trimws(gsub("[ \t]*\n[ \t]*", " ", para))
        if (nchar(para) > 0) lines <<- c(lines, para, "")
      }
    }
    pieces <<- list()
  }
  for (y in x) {
    t <- tag(y)
    if (t %in% c("\\itemize", "\\enumerate")) {
      flush()
      items <- list()
      for (z in y) {
        if (tag(z) == "\\item") items[[length(items) + 1]] <- list() else if (length(items) > 0) {
          items[[length(items)]][[length(items[[length(items)]]) + 1]] <- z
        }
      }
      mark <- if (t == "\\itemize") "- " else "#. "
      for (item in items) {
        body <- blocks(item)
        body <- body[nchar(body) > 0]
        lines <- c(lines, paste0(mark, body[[1]]), if (length(body) > 1) paste0("  ", body[-1]))
      }
      lines <- c(lines, "")
    } else if (t == "\\describe") {
      flush()
      for (z in y) if (tag(z) == "\\item") lines <- c(lines, describe_item(flat_text(z[[1]]), z[[2]]))
    } else if (t == "\\tabular") {
      fail(t)
    } else {
      pieces <- c(pieces, inline(y))
    }
  }
  flush()
  lines
}

# A definition list's item: the term's text, then its body indented.
describe_item <- function(term, body) {
  text <- blocks(body)
  text <- text[seq_len(max(0, length(text) - 1))]
  c(term, ifelse(nchar(text) > 0, paste0("   ", text), ""), "")
}

code_block <- function(x, language = "r") {
  text <- paste(vapply(x, function(y) {
    t <- tag(y)
    if (t == "\\method") return(sprintf("## S3 method for class '%s'\n%s", plain(y[[2]]), plain(y[[1]])))
    if (t == "\\dontrun" || t == "\\donttest" || t == "\\dontshow") return(plain(y))
    if (t %in% c("RCODE", "VERB", "TEXT", "COMMENT")) return(flat(y))
    fail(t)
  }, ""), collapse = "")
  code <- strsplit(sub("^\\s*\n", "", sub("\\s+$", "", text)), "\n")[[1]]
  c(sprintf(".. code-block:: %s", language), "", paste0("   ", code), "")
}

heading <- function(text, mark) c(text, strrep(mark, nchar(text, type = "chars")), "")

write_if_changed <- function(path, lines) {
  text <- paste0(paste(lines, collapse = "\n"), "\n")
  if (file.exists(path) && identical(paste0(paste(readLines(path, encoding = "UTF-8"), collapse = "\n"), "\n"), text))
    return(invisible())
  con <- file(path, "w", encoding = "UTF-8")
  writeLines(lines, con)
  close(con)
}

known <- c("\\name", "\\alias", "\\title", "\\description", "\\usage", "\\arguments", "\\value", "\\details",
           "\\section", "\\examples", "\\seealso", "\\note", "\\references", "\\author", "\\keyword", "\\concept",
           "\\docType", "\\encoding", "COMMENT", "TEXT")

dir.create(out_dir, showWarnings = FALSE, recursive = TRUE)
for (k in seq_along(pages)) {
  rd <- pages[[k]]
  current_file <- files[[k]]
  for (x in rd) if (!(tag(x) %in% known)) fail(tag(x))
  name <- page_names[[k]]
  aliases <- vapply(sections(rd, "\\alias"), function(a) trimws(flat(a)), "")
  lines <- c(sprintf(".. _r-%s:", name), "")
  title <- trimws(gsub("\\s+", " ", plain(section(rd, "\\title"))))
  lines <- c(lines, heading(trimws(flat(section(rd, "\\name"))), "="))
  lines <- c(lines, sprintf(".. index:: %s", paste(sprintf("single: %s (R)", aliases), collapse = "; ")), "")
  lines <- c(lines, sprintf("*%s*", escape(title)), "")
  lines <- c(lines, blocks(section(rd, "\\description")))
  usage <- section(rd, "\\usage")
  if (!is.null(usage)) lines <- c(lines, heading("Usage", "-"), code_block(usage))
  arguments <- section(rd, "\\arguments")
  if (!is.null(arguments)) {
    lines <- c(lines, heading("Arguments", "-"))
    for (item in arguments) {
      if (tag(item) == "\\item") lines <- c(lines, describe_item(paste0("``", plain(item[[1]]), "``"), item[[2]]))
    }
  }
  for (part in list(c("\\details", "Details"), c("\\value", "Value"))) {
    body <- section(rd, part[[1]])
    if (!is.null(body)) lines <- c(lines, heading(part[[2]], "-"), blocks(body))
  }
  for (s in sections(rd, "\\section")) lines <- c(lines, heading(trimws(plain(s[[1]])), "-"), blocks(s[[2]]))
  for (part in list(c("\\note", "Note"), c("\\references", "References"), c("\\seealso", "See also"))) {
    body <- section(rd, part[[1]])
    if (!is.null(body)) lines <- c(lines, heading(part[[2]], "-"), blocks(body))
  }
  examples <- section(rd, "\\examples")
  if (!is.null(examples)) {
    lines <- c(lines, heading("Examples", "-"),
               "Run by ``R CMD check`` on the package's own copy of the example tables.", "",
               code_block(examples))
  }
  write_if_changed(file.path(out_dir, paste0(name, ".rst")), lines)
}

index <- c(".. _r-reference:", "", heading("R", "="),
           "The functions of the R package ``logk`` (``bindings/r``), from its help pages: ``?interpolate`` in R ",
           "shows the same text. Installing and using the package: :doc:`/guide/r`.", "",
           ".. toctree::", "   :maxdepth: 1", "", paste0("   ", page_names), "")
write_if_changed(file.path(out_dir, "index.rst"), index)
stale <- setdiff(list.files(out_dir), c(paste0(page_names, ".rst"), "index.rst"))
unlink(file.path(out_dir, stale))
