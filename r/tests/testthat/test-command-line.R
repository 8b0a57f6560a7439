# The package's matrices, tables and report hold what the command line writes for the same
# network and options: its JSON document number for number, its report byte for byte, from
# the file and from the same relations handed over as an array.

# Both permutation strategies, the diagonal rules (which change the 2 x 2 counts), several
# cutoff levels, the factorizations, transposes and no samples at all.
option_sets <- list(
  list(sample_size = 60),
  list(sample_size = 60, seed = 11, permutation_strategy = "pairs", cutoffs = "0.05, 0.01", factor_omega = TRUE,
       exact_p = TRUE),
  list(sample_size = 40, seed = 3, diagonal = "include-all", measure_control = "MB", factor_lower_omega = TRUE),
  list(sample_size = 40, seed = 5, diagonal = "exclude-all", transposes = TRUE, max_word_length = 3),
  list(sample_size = 0)
)
relation_names <- c("marriage", "business")

# The JSON's statistics blocks by the result's matrix names.
statistic_blocks <- c(
  likelihood_ratio = "likelihood_ratio", theta = "theta", fisher_p = "fisher_p", mcnemar_z = "mcnemar_z",
  mcnemar_z_proportion = "mcnemar_z_proportions", binomial_p = "binomial_p", kappa = "kappa", estvar = "estvar",
  kappa_proportion = "kappa_proportions", standardized_kappa = "standardized_kappa",
  standardized_kappa_proportion = "standardized_kappa_proportions", theta_exact = "theta_exact",
  mcnemar_z_proportion_exact = "mcnemar_z_proportions_exact", kappa_proportion_exact = "kappa_proportions_exact",
  standardized_kappa_proportion_exact = "standardized_kappa_proportions_exact"
)

expect_matches_document <- function(result, problem, what) {
  e <- result$element_count
  elements <- problem$semigroup$elements
  expect_equal(e, problem$semigroup$order, info = what)
  expect_identical(result$words, vapply(elements, function(x) x$letters, ""), info = what)
  expect_identical(result$word_names, vapply(elements, function(x) x$word_names, ""), info = what)
  for (k in seq_len(e)) {
    rows <- strsplit(unlist(elements[[k]]$matrix), "")
    expected <- matrix(as.integer(unlist(rows)), nrow = length(rows), byrow = TRUE)
    expect_identical(unname(result$matrices[, , k]), expected, info = paste(what, "element", k))
  }
  table <- do.call(rbind, lapply(problem$semigroup$multiplication_table,
                                 function(row) vapply(row, function(p) if (is.null(p)) NA_integer_ else as.integer(p), 1L)))
  expect_identical(unname(result$multiplication_table), table, info = what)
  expect_identical(unname(result$partial_order), json_cells(problem$partial_order_cells), info = what)

  for (name in names(statistic_blocks)) {
    values <- result[[name]]
    expect_identical(dim(values), c(e, e), info = name)
    expect_true(all(is.na(values[lower.tri(values, diag = TRUE)])), info = name)
    block <- json_numbers(problem$statistics[[statistic_blocks[[name]]]])
    if (is.null(block)) block <- matrix(NA_real_, e, e)
    expect_identical(as_float32(unname(values)), as.vector(as_float32(block)), info = paste(what, name))
  }

  expect_length(result$levels, length(problem$cutoff_levels))
  for (k in seq_along(result$levels)) {
    level <- result$levels[[k]]
    expected <- problem$cutoff_levels[[k]]
    expect_identical(as_float32(level$alpha), as_float32(expected$alpha))
    for (name in c("omega", "lower_omega", "omega_closure", "lower_omega_closure")) {
      expect_identical(unname(level[[name]]), json_cells(expected[[paste0(name, "_cells")]]),
                       info = paste(what, "level", k, name))
    }
    for (kind in list(c("atoms", "omega_factorization"), c("lower_omega_atoms", "lower_omega_factorization"))) {
      factorization <- expected[[kind[2]]]
      expect_length(level[[kind[1]]], if (is.null(factorization)) 0L else length(factorization$atoms))
    }
  }

  # The pairs data frame: the columns of pairs.csv in its order, every value.
  records <- problem$pairs
  expect_identical(names(result$pairs), names(records[[1]]), info = what)
  expect_equal(nrow(result$pairs), e * (e - 1) / 2)
  for (name in names(result$pairs)) {
    expected <- lapply(records, function(r) r[[name]])
    column <- result$pairs[[name]]
    if (is.character(column)) {
      expect_identical(column, vapply(expected, function(v) if (is.null(v)) NA_character_ else v, ""),
                       info = paste(what, name))
    } else {
      numbers <- vapply(expected, function(v) if (is.null(v)) NA_real_ else as.numeric(v), 0)
      expect_identical(as_float32(column), as_float32(numbers), info = paste(what, name))
    }
  }
}

test_that("file and array inputs give the command line's numbers and report", {
  path <- padgett_path()
  from_file <- read_networks(path, relation_names = relation_names)[[1]]
  for (k in seq_along(option_sets)) {
    options <- option_sets[[k]]
    what <- paste("option set", k)
    run <- run_command_line(path, c(options, relation_names = paste(relation_names, collapse = ",")))
    problem <- run$json$problems[[1]]

    result <- do.call(analyze, c(list(from_file), options))
    expect_s3_class(result, "quorel_result")
    expect_matches_document(result, problem, what)
    expect_identical(result$report, run$report_bytes, info = what)

    # The same relations as an array named by its dimnames, marked and labelled as the file.
    cells <- from_file$matrices
    from_array <- do.call(analyze, c(list(cells, non_directional = from_file$non_directional), options,
                                     label = from_file$label))
    expect_identical(from_array$report, run$report_bytes, info = paste(what, "array"))
    expect_identical(from_array$kappa, result$kappa)
  }
})

test_that("a path analyses every network of the file with one random stream", {
  text <- readLines(padgett_path())
  both <- tempfile(fileext = ".dat")
  writeLines(c(text, text), both)
  run <- run_command_line(both, list(sample_size = 30, seed = 9))
  results <- analyze(both, sample_size = 30, seed = 9)
  expect_s3_class(results, "quorel_results")
  expect_length(results, 2L)
  expect_identical(attr(results, "report"), run$report_bytes)
  # The second network continues the stream, so its samples differ from the first's.
  expect_identical(results[[1]]$kappa, results[[2]]$kappa)
  expect_false(identical(results[[1]]$kappa_proportion, results[[2]]$kappa_proportion))
})

test_that("reading errors carry the command line's message and kind", {
  folder <- tempfile("bad")
  dir.create(folder)
  malformed <- file.path(folder, "bad.dat")
  writeLines(c("bad", "3 1", "1 1", "0 1"), malformed)
  cases <- list(
    list(path = malformed, kind = "malformed-input"),
    list(path = file.path(folder, "missing.dat"), kind = "file")
  )
  for (case in cases) {
    caught <- tryCatch(read_networks(case$path), quorel_error = function(e) e)
    expect_s3_class(caught, "quorel_error")
    expect_identical(caught$kind, case$kind)
    shown <- run_command_line(case$path)$output
    expect_true(grepl(conditionMessage(caught), shown, fixed = TRUE),
                info = paste(conditionMessage(caught), "not in", shown))
    expect_error(analyze(case$path), class = "quorel_error")
  }
})
