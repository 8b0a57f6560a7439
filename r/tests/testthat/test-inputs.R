# Networks from arrays, lists of matrices and files; the errors bad input and bad options
# give; the random stream's seed.

padgett <- function() read_networks(padgett_path())[[1]]

test_that("read_networks gives the relations as an actors x actors x relations array", {
  network <- padgett()
  expect_s3_class(network, "quorel_network")
  expect_identical(dim(network$matrices), c(16L, 16L, 2L))
  expect_true(all(network$matrices %in% c(0L, 1L)))
  expect_identical(network$non_directional, c(TRUE, TRUE))
  # The file's first relation, row 1: the ninth family is the only tie.
  expect_identical(which(network$matrices[1, , 1] == 1L), 9L)
  named <- read_networks(padgett_path(), relation_names = c("marriage", "business"))[[1]]
  expect_identical(named$relations, c("marriage", "business"))
  expect_identical(dimnames(named$matrices)[[3]], c("marriage", "business"))
})

test_that("arrays, single matrices and lists of matrices are the same network", {
  cells <- padgett()$matrices
  reference <- analyze(cells, sample_size = 20, seed = 4)
  same <- list(
    list = list(cells[, , 1], cells[, , 2]),
    logical = array(cells == 1L, dim(cells)),
    double = array(as.double(cells), dim(cells)),
    data_frames = list(as.data.frame(cells[, , 1]), as.data.frame(cells[, , 2]))
  )
  for (name in names(same)) {
    result <- analyze(same[[name]], sample_size = 20, seed = 4)
    expect_identical(result$report, reference$report, info = name)
  }
  one <- analyze(cells[, , 1], sample_size = 0)
  expect_identical(one$generator_count, 1L)
})

test_that("a fixed matrix beside an array groups the cells as the data file's does", {
  cells <- padgett()$matrices
  fixed <- outer(0:15, 0:15, function(r, c) (r %/% 3 + c) %% 3)
  data <- tempfile(fileext = ".dat")
  writeLines(c("fixed", "16 2", paste(aperm(cells, c(2, 1, 3)), collapse = " "),
               apply(fixed, 1, paste, collapse = " ")), data)
  from_file <- read_networks(data, fixed_matrix = TRUE)[[1]]
  expect_equal(from_file$fixed_matrix, fixed, ignore_attr = TRUE)
  for (control in c("MF", "MG")) {
    options <- list(measure_control = control, permutation_strategy = "pairs", sample_size = 40, seed = 3)
    expect_identical(do.call(analyze, c(list(cells, fixed_matrix = fixed, label = "fixed"), options))$report,
                     do.call(analyze, c(list(from_file), options))$report, info = control)
  }
})

test_that("dimnames and list names name the actors, relations and words", {
  cells <- padgett()$matrices
  actors <- paste0("family", 1:16)
  named <- list(marriage = cells[, , 1], business = cells[, , 2])
  rownames(named$marriage) <- colnames(named$marriage) <- actors
  result <- analyze(named, sample_size = 0)
  expect_identical(result$word_names[1:2], c("marriage", "business"))
  expect_identical(dimnames(result$matrices)[[1]], actors)
  expect_identical(rownames(result$kappa), result$words)
  expect_null(analyze(unname(cells), sample_size = 0)$word_names)
})

test_that("bad arrays and options are refused naming the fault", {
  cases <- list(
    list(x = array(0, c(3, 4, 2)), message = "square"),
    list(x = array(0, c(2, 3, 3, 1)), message = "actors x actors x relations"),
    list(x = 1:5, message = "vector of length 5"),
    list(x = array(0, c(3, 3, 0)), message = "no relations"),
    list(x = array(0, c(0, 0, 1)), message = "no actors"),
    list(x = array(c(0, 2, 0, 0), c(2, 2, 1)), message = "cell [2, 1, 1] is 2"),
    list(x = array(c(0, 0, 0.5, 0), c(2, 2, 1)), message = "cell [1, 2, 1] is 0.5"),
    list(x = array(c(0, NA, 0, 0), c(2, 2, 1)), message = "cell [2, 1, 1] is NA"),
    list(x = array(letters[1:4], c(2, 2, 1)), message = "numbers 0 or 1"),
    list(x = list(diag(3), diag(2)), message = "differ in size"),
    list(x = list(diag(3), 1:3), message = "every element of the list"),
    list(x = array(0, c(3, 3, 2)), args = list(non_directional = c(TRUE, FALSE, TRUE)), message = "non_directional"),
    list(x = diag(3), args = list(sample_size = 40000), message = "sample_size = 40000 is outside 0..32767"),
    list(x = diag(3), args = list(seed = -1), message = "seed = -1 is outside"),
    list(x = diag(3), args = list(seed = 1.5), message = "seed must be a whole number"),
    list(x = diag(3), args = list(measure_control = "MZ"), message = "measure_control must be one of"),
    list(x = diag(3), args = list(exact_p = "yes"), message = "exact_p must be TRUE or FALSE"),
    list(x = diag(3), args = list(sample_sise = 10), message = "unknown analysis option 'sample_sise'"),
    list(x = c("a.dat", "b.dat"), message = "one file path"),
    list(x = diag(3), args = list(fixed_matrix = diag(2)), message = "fixed_matrix: expected a 3 x 3 numeric matrix"),
    list(x = diag(2), args = list(fixed_matrix = matrix(c(0, NA, 1, 1), 2)), message = "fixed_matrix: every cell"),
    list(x = local({
      changed <- padgett()
      changed$matrices[1, 2, 1] <- 2L
      changed
    }), message = "cell [1, 2, 1] is 2")
  )
  for (case in cases) {
    expect_error(do.call(analyze, c(list(case$x), case$args)), case$message, fixed = TRUE, info = case$message)
  }
})

test_that("an option the library refuses raises its message", {
  # Exact P-values need the pairs strategy; the library says so.
  caught <- tryCatch(analyze(padgett(), sample_size = 10, omega_from = "exact"), error = function(e) e)
  expect_s3_class(caught, "quorel_error")
  expect_match(conditionMessage(caught), "needs exact_p and the pairs permutation strategy$")
})

test_that("the same seed gives the same samples and another seed others", {
  cells <- padgett()$matrices
  first <- analyze(cells, sample_size = 50, seed = 7)
  again <- analyze(cells, sample_size = 50, seed = 7, threads = 1)
  other <- analyze(cells, sample_size = 50, seed = 8)
  expect_identical(again$pairs, first$pairs)
  expect_identical(again$report, first$report)
  expect_false(identical(other$kappa_proportion, first$kappa_proportion))
  expect_identical(other$kappa, first$kappa)  # the observed statistics do not depend on it
})

test_that("network objects are relations on the same actors", {
  skip_if_not_installed("network")
  cells <- padgett()$matrices
  relations <- list(marriage = network::network(cells[, , 1], directed = FALSE),
                    business = network::network(cells[, , 2], directed = FALSE))
  from_objects <- analyze(relations, sample_size = 20, seed = 1)
  from_array <- analyze(cells, non_directional = TRUE, sample_size = 20, seed = 1)
  expect_identical(from_objects$kappa_proportion, from_array$kappa_proportion)
})
