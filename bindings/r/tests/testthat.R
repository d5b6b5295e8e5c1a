library(testthat)
library(logk)

test_check("logk")
