# The R side of quorel: arguments are checked and shaped here, the compiled code
# (src/quorel_r.cpp) runs the library and hands back plain lists, which get their names,
# dimnames and classes here. Element numbers are 1-based throughout: element k is
# words[k] and the report's element k.

# The analysis options besides sample_size and seed, by the library's Options names, with
# the kind of value each takes.
.flag_options <- c("transposes", "generator_products_only", "factor_omega", "factor_lower_omega",
                   "full_factor_output", "reapply", "exact_p", "omega_from_exact")
.whole_options <- list(max_word_length = c(0, 32767), threads = c(0, 1024))
.word_options <- list(
  permutation_strategy = c("pairs", "generators"),
  measure_control = c("MA", "MB", "MC", "MD", "ME", "MF", "MG"),
  diagonal = c("exclude-all", "exclude-generators", "include-all"),
  omega_from = c("sampled", "exact")
)

.statistics <- c("likelihood_ratio", "theta", "fisher_p", "mcnemar_z", "mcnemar_z_proportion", "binomial_p",
                 "kappa", "estvar", "kappa_proportion", "standardized_kappa", "standardized_kappa_proportion",
                 "theta_exact", "mcnemar_z_proportion_exact", "kappa_proportion_exact",
                 "standardized_kappa_proportion_exact")

# A failure of the library, raised as an error of class quorel_error with the command
# line's message (its final line feed dropped), the kind and the code.
.raise_failure <- function(out, call) {
  if (inherits(out, "quorel_failure")) {
    condition <- structure(
      class = c("quorel_error", "error", "condition"),
      list(message = sub("\n+$", "", out$message), call = call, kind = out$kind, code = out$code)
    )
    stop(condition)
  }
  out
}

.is_flag <- function(value) is.logical(value) && length(value) == 1L && !is.na(value)

.whole <- function(value, name, low, high) {
  if (!is.numeric(value) || length(value) != 1L || is.na(value) || value != round(value)) {
    stop(name, " must be a whole number", call. = FALSE)
  }
  if (value < low || value > high) {
    stop(name, " = ", format(value, scientific = FALSE), " is outside ", low, "..", high, call. = FALSE)
  }
  value
}

.check_options <- function(options) {
  if (length(options) && (is.null(names(options)) || any(names(options) == ""))) {
    stop("analysis options must be named", call. = FALSE)
  }
  for (name in names(options)) {
    value <- options[[name]]
    if (name %in% .flag_options) {
      if (!.is_flag(value)) stop(name, " must be TRUE or FALSE", call. = FALSE)
    } else if (name %in% names(.whole_options)) {
      range <- .whole_options[[name]]
      options[[name]] <- .whole(value, name, range[1], range[2])
    } else if (name %in% names(.word_options)) {
      if (!is.character(value) || length(value) != 1L || !(value %in% .word_options[[name]])) {
        stop(name, " must be one of ", paste0("'", .word_options[[name]], "'", collapse = ", "), call. = FALSE)
      }
    } else if (name == "min_kappa") {
      if (!is.numeric(value) || length(value) != 1L || is.na(value)) stop("min_kappa must be a number", call. = FALSE)
    } else if (name == "cutoffs") {
      # As the command line takes them ("0.05, 0.01") or as numbers.
      if (is.numeric(value) && length(value) > 0L && !anyNA(value)) {
        options[[name]] <- paste(as.character(value), collapse = ", ")
      } else if (!is.character(value) || length(value) != 1L || is.na(value)) {
        stop("cutoffs must be a string such as \"0.05, 0.01\" or a numeric vector", call. = FALSE)
      }
    } else {
      stop("unknown analysis option '", name, "'; the options are ",
           paste(c(.flag_options, names(.whole_options), names(.word_options), "min_kappa", "cutoffs"),
                 collapse = ", "), call. = FALSE)
    }
  }
  options
}

# ---------------------------------------------------------------------------------------
# Networks.

.new_network <- function(matrices, actors, relations, non_directional, label, fixed_matrix = NULL) {
  n <- dim(matrices)[1]
  dimnames(matrices) <- list(if (length(actors)) actors, if (length(actors)) actors,
                             if (length(relations)) relations)
  structure(list(label = label, actors = actors, relations = relations, non_directional = non_directional,
                 matrices = matrices, fixed_matrix = fixed_matrix),
            class = "quorel_network")
}

# An N x N x R array of 0 and 1 (or one N x N matrix) as a network; names from the dimnames.
.network_from_array <- function(x, non_directional, label, what = "x") {
  if (is.data.frame(x)) x <- as.matrix(x)
  if (!(is.numeric(x) || is.logical(x))) {
    stop(what, ": cells must be numbers 0 or 1, got ", class(x)[1], call. = FALSE)
  }
  d <- dim(x)
  if (length(d) == 2L) {
    x <- array(x, c(d, 1L), dimnames = c(dimnames(x), list(NULL)))
    d <- dim(x)
  }
  if (length(d) != 3L) {
    stop(what, ": expected an actors x actors x relations array, got ",
         if (is.null(d)) paste("a vector of length", length(x)) else paste("dimensions", paste(d, collapse = " x ")),
         call. = FALSE)
  }
  if (d[1] != d[2]) {
    stop(what, ": each relation must be a square actors x actors matrix, got ", d[1], " x ", d[2], call. = FALSE)
  }
  if (d[3] == 0L) stop(what, ": no relations", call. = FALSE)
  if (d[1] == 0L) stop(what, ": no actors", call. = FALSE)
  bad <- which(is.na(x) | (x != 0 & x != 1))
  if (length(bad)) {
    at <- arrayInd(bad[1], d)
    stop(what, ": cell [", paste(at, collapse = ", "), "] is ", format(x[bad[1]]),
         "; every cell must be 0 or 1", call. = FALSE)
  }
  names <- dimnames(x)
  actors <- if (!is.null(names[[1]])) names[[1]] else if (!is.null(names[[2]])) names[[2]] else character()
  relations <- if (!is.null(names[[3]])) names[[3]] else character()
  cells <- array(as.integer(x), d)
  .new_network(cells, as.character(actors), as.character(relations),
               .non_directional(non_directional, d[3]), label)
}

.non_directional <- function(marks, relations) {
  if (is.null(marks)) return(NULL)
  if (!is.logical(marks) || anyNA(marks) || !(length(marks) %in% c(1L, relations))) {
    stop("non_directional: TRUE or FALSE for each of the ", relations, " relations", call. = FALSE)
  }
  rep_len(marks, relations)
}

# A list of N x N matrices, one per relation, named by the list's names.
.network_from_matrices <- function(x, non_directional, label) {
  shapes <- lapply(x, dim)
  if (!all(vapply(shapes, length, 1L) == 2L)) {
    stop("x: every element of the list must be an actors x actors matrix", call. = FALSE)
  }
  if (length(unique(shapes)) != 1L) {
    stop("x: the matrices differ in size: ",
         paste(vapply(shapes, paste, "", collapse = " x "), collapse = ", "), call. = FALSE)
  }
  cells <- array(unlist(lapply(x, function(m) if (is.data.frame(m)) as.matrix(m) else m)),
                 c(shapes[[1]], length(x)))
  first <- dimnames(x[[1]])
  dimnames(cells) <- list(first[[1]], first[[2]], names(x))
  .network_from_array(cells, non_directional, label)
}

# A list of `network` objects (the network package), one per relation on the same actors;
# an undirected one is a non-directional relation.
.network_from_network_objects <- function(x, non_directional, label) {
  cells <- lapply(x, function(g) network::as.matrix.network.adjacency(g))
  if (is.null(non_directional)) non_directional <- !vapply(x, network::is.directed, TRUE)
  .network_from_matrices(cells, non_directional, label)
}

.name_network <- function(network, actors, relations) {
  if (!is.null(actors)) network$actors <- as.character(actors)
  if (!is.null(relations)) network$relations <- as.character(relations)
  .new_network(network$matrices, network$actors, network$relations, network$non_directional, network$label,
               network$fixed_matrix)
}

# The fixed matrix of measure controls MF and MG given beside the relations: N x N finite
# numbers, whose equal values form the groups of cells the samples keep.
.with_fixed_matrix <- function(network, fixed_matrix) {
  n <- dim(network$matrices)[1]
  if (is.data.frame(fixed_matrix)) fixed_matrix <- as.matrix(fixed_matrix)
  if (!(is.numeric(fixed_matrix) || is.logical(fixed_matrix)) || !identical(dim(fixed_matrix), c(n, n))) {
    stop("fixed_matrix: expected a ", n, " x ", n, " numeric matrix", call. = FALSE)
  }
  if (!all(is.finite(fixed_matrix))) stop("fixed_matrix: every cell must be a finite number", call. = FALSE)
  network$fixed_matrix <- matrix(as.double(fixed_matrix), n, n)
  network
}

.is_network_object <- function(x) inherits(x, "network")

# Whatever analyze() takes, as a list of networks.
.networks_of <- function(x, non_directional, label) {
  if (is.character(x) && is.null(dim(x))) {
    if (length(x) != 1L) stop("x: one file path, got ", length(x), call. = FALSE)
    marks <- if (is.logical(non_directional)) which(non_directional) else non_directional
    return(read_networks(x, non_directional = if (is.null(marks)) "" else marks))
  }
  if (inherits(x, "quorel_network")) x <- list(x)
  if (.is_network_object(x)) x <- list(x)
  if (is.list(x) && !is.data.frame(x)) {
    if (length(x) == 0L) stop("x: an empty list", call. = FALSE)
    if (all(vapply(x, inherits, TRUE, "quorel_network"))) {
      # Checked again, as they may have been changed since they were read.
      return(lapply(x, function(n) {
        marks <- if (is.null(non_directional)) n$non_directional else non_directional
        checked <- .network_from_array(n$matrices, marks, if (is.null(label)) n$label else label)
        if (!length(checked$actors) && length(n$actors)) checked <- .name_network(checked, n$actors, NULL)
        if (!length(checked$relations) && length(n$relations)) checked <- .name_network(checked, NULL, n$relations)
        checked$fixed_matrix <- n$fixed_matrix
        checked
      }))
    }
    if (all(vapply(x, .is_network_object, TRUE))) {
      if (!requireNamespace("network", quietly = TRUE)) {
        stop("x: network objects need the network package", call. = FALSE)
      }
      return(list(.network_from_network_objects(x, non_directional, if (is.null(label)) "" else label)))
    }
    return(list(.network_from_matrices(x, non_directional, if (is.null(label)) "" else label)))
  }
  list(.network_from_array(x, non_directional, if (is.null(label)) "" else label))
}

read_networks <- function(path, input_format = "auto", fixed_matrix = FALSE, threshold = NULL,
                          relation_attribute = "", non_directional = "", relation_names = character(),
                          actor_names = character()) {
  call <- match.call()
  if (!is.character(path) || length(path) != 1L || is.na(path)) stop("path must be one file path", call. = FALSE)
  if (!.is_flag(fixed_matrix)) stop("fixed_matrix must be TRUE or FALSE", call. = FALSE)
  if (!is.null(threshold) && (!is.numeric(threshold) || length(threshold) != 1L || is.na(threshold))) {
    stop("threshold must be NULL or a number", call. = FALSE)
  }
  non_directional <- paste(as.character(non_directional), collapse = ",")
  read <- .raise_failure(
    .quorel_read_networks(path.expand(path), input_format, fixed_matrix, threshold, relation_attribute,
                          non_directional, as.character(relation_names), as.character(actor_names)),
    call
  )
  for (text in attr(read, "warnings")) warning(text, call. = FALSE)
  lapply(read, function(n) {
    .new_network(n$matrices, n$actors, n$relations, n$non_directional, n$label, n$fixed_matrix)
  })
}

# One result list from the compiled code, named and classed.
.shape_result <- function(raw, network) {
  words <- raw$words
  square <- function(m) {
    dimnames(m) <- list(words, words)
    m
  }
  actors <- if (length(network$actors)) network$actors
  matrices <- raw$matrices
  dimnames(matrices) <- list(actors, actors, words)
  levels <- lapply(raw$levels, function(level) {
    for (name in c("omega", "lower_omega", "omega_closure", "lower_omega_closure")) {
      if (!is.null(level[[name]])) level[[name]] <- square(level[[name]])
    }
    level
  })
  result <- list(
    label = raw$label, actor_count = raw$actor_count, generator_count = raw$generator_count,
    element_count = raw$element_count, options = raw$options, warnings = raw$warnings,
    words = words, word_names = raw$word_names, matrices = matrices,
    multiplication_table = square(raw$multiplication_table), partial_order = square(raw$partial_order)
  )
  for (name in .statistics) result[[name]] <- square(raw$statistics[[name]])
  result$levels <- levels
  result$pairs <- data.frame(raw$pairs, check.names = FALSE, stringsAsFactors = FALSE)
  result$report <- raw$report
  structure(result, class = "quorel_result")
}

analyze <- function(x, non_directional = NULL, sample_size = 1000, seed = 0, ..., label = NULL,
                    fixed_matrix = NULL) {
  call <- match.call()
  options <- .check_options(list(...))
  options$sample_size <- .whole(sample_size, "sample_size", 0, 32767)
  options$seed <- .whole(seed, "seed", 0, 2^53)
  if (!is.null(label) && (!is.character(label) || length(label) != 1L)) stop("label must be a string", call. = FALSE)
  networks <- .networks_of(x, non_directional, label)
  if (length(networks) == 0L) stop("x: no networks", call. = FALSE)
  if (!is.null(fixed_matrix)) networks <- lapply(networks, .with_fixed_matrix, fixed_matrix)
  if (!is.null(label)) networks <- lapply(networks, function(n) `$<-`(n, "label", label))
  raw <- .raise_failure(.quorel_analyze(lapply(networks, unclass), options), call)
  results <- Map(.shape_result, raw, networks)
  for (result in results) for (text in result$warnings) warning(text, call. = FALSE)
  if (length(results) == 1L) return(results[[1]])
  structure(results, report = attr(raw, "report"), class = "quorel_results")
}

# ---------------------------------------------------------------------------------------
# Printing.

.label_text <- function(label) if (nzchar(label)) paste0(" '", label, "'") else ""

print.quorel_network <- function(x, ...) {
  d <- dim(x$matrices)
  cat("<quorel network", .label_text(x$label), ": ", d[1], " actors, ", d[3], " relations",
      if (length(x$relations)) paste0(" (", paste(x$relations, collapse = ", "), ")"), ">\n", sep = "")
  invisible(x)
}

.words_text <- function(words, most = 12L) {
  shown <- paste(utils::head(words, most), collapse = " ")
  if (length(words) > most) paste(shown, "...") else shown
}

print.quorel_result <- function(x, ...) {
  o <- x$options
  cat("<quorel result", .label_text(x$label), ">\n", sep = "")
  cat(x$actor_count, " actors, ", x$generator_count, " generators, ", x$element_count, " elements: ",
      .words_text(x$words), "\n", sep = "")
  cat(o$sample_size, " samples (", o$permutation_strategy, ", ", o$measure_control, "), seed ",
      format(o$seed, scientific = FALSE), "\n", sep = "")
  for (level in x$levels) {
    # Inclusions between distinct elements: the diagonal of each relation is all TRUE.
    cat("cutoff ", format(level$alpha, digits = 7), ": Omega holds ", sum(level$omega) - x$element_count,
        " inclusions", sep = "")
    if (!is.null(level$omega_closure)) cat(", its closure", sum(level$omega_closure) - x$element_count)
    cat("\n")
  }
  cat(nrow(x$pairs), "pairs in $pairs; the report in $report\n")
  invisible(x)
}

print.quorel_results <- function(x, ...) {
  cat("<", length(x), " quorel results; the report of all in attr(, \"report\")>\n", sep = "")
  for (k in seq_along(x)) {
    cat("[[", k, "]] ", sep = "")
    print(x[[k]])
  }
  invisible(x)
}

summary.quorel_result <- function(object, strongest = 5L, ...) {
  pairs <- object$pairs
  levels <- data.frame(
    alpha = vapply(object$levels, function(l) l$alpha, 0),
    omega = vapply(object$levels, function(l) sum(l$omega) - object$element_count, 0),
    omega_closure = vapply(object$levels, function(l) {
      if (is.null(l$omega_closure)) NA_real_ else sum(l$omega_closure) - object$element_count
    }, 0),
    atoms = vapply(object$levels, function(l) length(l$atoms), 0L)
  )
  ordered <- pairs[order(-pairs$kappa, na.last = NA), c("i", "j", "word_i", "word_j", "kappa",
                                                         "kappa_proportions")]
  structure(list(label = object$label, actor_count = object$actor_count, element_count = object$element_count,
                 words = object$words, levels = levels, strongest = utils::head(ordered, strongest)),
            class = "summary.quorel_result")
}

print.summary.quorel_result <- function(x, ...) {
  cat("quorel analysis", .label_text(x$label), ": ", x$actor_count, " actors, ", x$element_count,
      " elements\n", sep = "")
  cat("words:", .words_text(x$words, 30L), "\n\ncutoff levels (inclusions between distinct elements):\n")
  print(x$levels, row.names = FALSE)
  cat("\nstrongest pairs by kappa:\n")
  print(x$strongest, row.names = FALSE)
  invisible(x)
}
