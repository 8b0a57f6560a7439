# An interrupt stops a long analysis promptly and leaves R usable. It runs in a child R
# process, so that a signal arriving late cannot reach this test run.

test_that("an interrupt during the sampling stops the analysis", {
  skip_on_os("windows")
  script <- tempfile(fileext = ".R")
  writeLines(c(
    "library(quorel)",
    "set.seed(1)",
    "cells <- array(runif(3 * 60 * 60) < 0.1, c(60, 60, 3))",  # about half a minute uninterrupted
    "system(sprintf('(sleep 1; kill -INT %d) &', Sys.getpid()))",
    "started <- Sys.time()",
    "outcome <- tryCatch({",
    "  analyze(cells, sample_size = 32767, max_word_length = 3, threads = 2)",
    "  'finished'",
    "}, interrupt = function(condition) 'interrupted')",
    "cat(outcome, as.numeric(Sys.time() - started, units = 'secs'), '\\n')",
    "cat(analyze(diag(3), sample_size = 0)$element_count, '\\n')"
  ), script)
  rscript <- file.path(R.home("bin"), "Rscript")
  output <- system2(rscript, shQuote(script), stdout = TRUE, stderr = TRUE,
                    env = paste0("R_LIBS=", shQuote(paste(.libPaths(), collapse = .Platform$path.sep))))
  output <- output[nzchar(trimws(output))]
  words <- strsplit(trimws(output[1]), " ")[[1]]
  expect_identical(words[1], "interrupted", info = paste(output, collapse = "\n"))
  expect_lt(as.numeric(words[2]), 10)
  expect_identical(trimws(output[2]), "1")
})
