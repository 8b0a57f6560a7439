# Shared helpers: the bundled example network and the command line's outputs for the same
# network and options, to hold the package's numbers against.

padgett_path <- function() {
  installed <- system.file("extdata", "padgett_florentine.dat", package = "quorel")
  if (nzchar(installed)) return(installed)
  file.path(Sys.getenv("QUOREL_SOURCE_DIR"), "examples", "padgett_florentine.dat")
}

command_line <- function() {
  binary <- Sys.getenv("QUOREL_BINARY")
  if (!nzchar(binary)) {
    source_dir <- Sys.getenv("QUOREL_SOURCE_DIR")
    if (nzchar(source_dir)) binary <- file.path(source_dir, "build", "quorel")
  }
  if (!nzchar(binary) || !file.exists(binary)) testthat::skip("the command line quorel is not at hand (QUOREL_BINARY)")
  binary
}

# The command line's words for analysis options named as analyze() takes them.
option_words <- function(options) {
  words <- character()
  for (name in names(options)) {
    flag <- paste0("--", gsub("_", "-", name))
    value <- options[[name]]
    if (isTRUE(value)) words <- c(words, flag)
    else if (!isFALSE(value)) words <- c(words, flag, shQuote(as.character(value)))
  }
  words
}

# Runs the command line on a data file; list(report = text, json = parsed document,
# output = what it printed).
run_command_line <- function(data, options = list(), extra = character()) {
  folder <- tempfile("run")
  dir.create(folder)
  report <- file.path(folder, "report.out")
  json <- file.path(folder, "run.json")
  output <- suppressWarnings(system2(command_line(),
                                     c("-q", "--data", shQuote(data), "--report", shQuote(report),
                                       "--json", shQuote(json), option_words(options), extra),
                                     stdout = TRUE, stderr = TRUE))
  list(
    report = if (file.exists(report)) paste(readLines(report, warn = FALSE), collapse = "\n") else NULL,
    report_bytes = if (file.exists(report)) readChar(report, file.size(report), useBytes = TRUE) else NULL,
    json = if (file.exists(json)) jsonlite::fromJSON(json, simplifyVector = FALSE) else NULL,
    output = paste(output, collapse = "\n")
  )
}

# Numbers as the JSON document holds them: rounded to 32-bit floats, NA for null.
as_float32 <- function(x) {
  x <- as.numeric(x)
  out <- rep(NA_real_, length(x))
  known <- !is.na(x)
  out[known] <- readBin(writeBin(x[known], raw(), size = 4), "double", size = 4, n = sum(known))
  out
}

json_numbers <- function(rows) {
  if (is.null(rows)) return(NULL)
  do.call(rbind, lapply(rows, function(row) vapply(row, function(v) if (is.null(v)) NA_real_ else v, 0)))
}

json_cells <- function(rows) do.call(rbind, lapply(rows, function(row) as.logical(unlist(row))))
