# The result's tables agree with its own element matrices (1-based element numbers,
# orientation of the partial order and of Omega), and the printed summaries.

result <- analyze(read_networks(padgett_path())[[1]], sample_size = 30, seed = 2, factor_omega = TRUE)

boolean_product <- function(a, b) (a %*% b > 0) * 1L

test_that("the multiplication table names the element that is the product", {
  e <- result$element_count
  m <- result$matrices
  found <- 0L
  for (i in seq_len(e)) {
    for (j in seq_len(e)) {
      product <- boolean_product(m[, , i], m[, , j])
      k <- result$multiplication_table[i, j]
      if (is.na(k)) {
        # Past the longest words: no element is that relation.
        expect_false(any(vapply(seq_len(e), function(x) identical(unname(m[, , x]), product), TRUE)),
                     info = paste(i, j))
      } else {
        found <- found + 1L
        expect_identical(unname(m[, , k]), product, info = paste(i, j))
      }
    }
  }
  expect_gt(found, e)
})

test_that("partial_order[i, j] holds when element j is contained in element i", {
  m <- result$matrices
  e <- result$element_count
  contained <- outer(seq_len(e), seq_len(e), Vectorize(function(i, j) all(m[, , j] <= m[, , i])))
  expect_identical(unname(result$partial_order), contained)
  # The pairs table reads the same cells.
  first <- result$pairs$i
  second <- result$pairs$j
  expect_identical(result$pairs$included_i_in_j, contained[cbind(second, first)])
  expect_identical(result$pairs$included_j_in_i, contained[cbind(first, second)])
})

test_that("the pairs table holds the matrices' upper triangles and 2 x 2 counts", {
  pairs <- result$pairs
  expect_s3_class(pairs, "data.frame")
  index <- cbind(pairs$i, pairs$j)
  expect_true(all(pairs$i < pairs$j))
  expect_identical(pairs$word_i, result$words[pairs$i])
  for (name in c("kappa", "likelihood_ratio", "binomial_p")) {
    expect_identical(pairs[[name]], unname(result[[name]][index]), info = name)
  }
  expect_identical(pairs$kappa_proportions, unname(result$kappa_proportion[index]))
  # Generators exclude the diagonal, so every pair counts N^2 - N cells or, between two
  # compound elements, N^2.
  n <- result$actor_count
  g <- result$generator_count
  totals <- pairs$n11 + pairs$n10 + pairs$n01 + pairs$n00
  expect_identical(totals, ifelse(pairs$i > g & pairs$j > g, n^2, n^2 - n))
  expect_true(all(pairs$theta_low <= pairs$theta & pairs$theta <= pairs$theta_high))
  omega <- result$levels[[1]]$omega
  column <- pairs[["omega_0.05"]]
  expect_identical(!is.na(column) & column %in% c("i<j", "equivalent"), omega[cbind(pairs$j, pairs$i)])
})

test_that("levels hold Omega, its closures and atoms with 1-based elements", {
  level <- result$levels[[1]]
  expect_equal(level$alpha, 0.05, tolerance = 1e-7)
  expect_true(all(level$omega_closure[level$omega]))
  for (atom in level$atoms) {
    expect_true(all(atom$generating %in% seq_len(result$element_count)))
    expect_identical(colnames(atom$induced), c("first", "second"))
  }
})

test_that("print and summary describe the result", {
  expect_output(print(result), "16 actors, 2 generators")
  expect_output(print(result), "cutoff 0.05")
  summary <- summary(result, strongest = 3)
  expect_s3_class(summary, "summary.quorel_result")
  expect_identical(nrow(summary$strongest), 3L)
  expect_true(all(diff(summary$strongest$kappa) <= 0))
  expect_output(print(summary), "strongest pairs by kappa")
  expect_output(print(read_networks(padgett_path())[[1]]), "16 actors, 2 relations")
})
