# The R package quorel (r/): its tests run under CTest when R, Rscript and the R packages
# Rcpp, testthat and jsonlite are installed (Debian: r-base-dev r-cran-rcpp r-cran-testthat
# r-cran-jsonlite). The package compiles the engine itself, so nothing here builds it: the
# test r.install installs it into BUILD/r-library from a copy of r/ in BUILD/r-package (R
# compiles in the package's own directory), and r.package runs r/tests/testthat against
# the installed package and the command line. Without R everything else builds as before.
option(QUOREL_R "Test the R package when R with Rcpp, testthat and jsonlite is installed" ON)
set(QUOREL_WITH_R OFF)
if(QUOREL_R AND NOT QUOREL_SANITIZE AND QUOREL_BUILD_TESTS)
  find_program(QUOREL_R_EXECUTABLE NAMES R)
  find_program(QUOREL_RSCRIPT_EXECUTABLE NAMES Rscript)
  if(QUOREL_R_EXECUTABLE AND QUOREL_RSCRIPT_EXECUTABLE)
    execute_process(COMMAND ${QUOREL_RSCRIPT_EXECUTABLE} -e
                            "for (p in c('Rcpp', 'testthat', 'jsonlite')) if (!requireNamespace(p, quietly = TRUE)) quit(status = 1)"
                    RESULT_VARIABLE r_packages_missing OUTPUT_QUIET ERROR_QUIET)
    if(r_packages_missing EQUAL 0)
      set(QUOREL_WITH_R ON)
    endif()
  endif()
  if(NOT QUOREL_WITH_R)
    message(STATUS "R package not tested: it needs R with Rcpp, testthat and jsonlite "
                   "(Debian: r-base-dev r-cran-rcpp r-cran-testthat r-cran-jsonlite)")
  endif()
endif()

if(QUOREL_WITH_R)
  set(QUOREL_R_LIBRARY ${CMAKE_BINARY_DIR}/r-library)
  set(QUOREL_R_COPY ${CMAKE_BINARY_DIR}/r-package/quorel)
  # A fresh copy each time; configure takes the engine from QUOREL_SOURCE_DIR, and
  # --preclean drops objects of an earlier install.
  add_test(NAME r.install
           COMMAND ${CMAKE_COMMAND} -E env MAKEFLAGS=-j2 QUOREL_SOURCE_DIR=${CMAKE_SOURCE_DIR}
                   sh -c "rm -rf \"$0\" && mkdir -p \"$0\" \"$1\" && cp -R \"$2\"/. \"$0\" && \"$3\" CMD INSTALL --preclean --no-multiarch --library=\"$1\" \"$0\""
                   ${QUOREL_R_COPY} ${QUOREL_R_LIBRARY} ${CMAKE_SOURCE_DIR}/r ${QUOREL_R_EXECUTABLE})
  set_tests_properties(r.install PROPERTIES TIMEOUT 1800 PROCESSORS 2 FIXTURES_SETUP r_package)
  add_test(NAME r.package
           COMMAND ${QUOREL_RSCRIPT_EXECUTABLE} -e
                   "testthat::test_dir('${CMAKE_SOURCE_DIR}/r/tests/testthat', package = 'quorel', load_package = 'installed', stop_on_failure = TRUE)")
  set_tests_properties(r.package PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED r_package ENVIRONMENT
    "R_LIBS=${QUOREL_R_LIBRARY};QUOREL_BINARY=$<TARGET_FILE:quorel>;QUOREL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endif()
