library(testthat)
library(quorel)

test_check("quorel")
