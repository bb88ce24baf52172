#!/bin/sh
# Builds the table engine's benchmark (optimised, native) and runs it:
# 100 000 records of a customer table with two indexes.
#   bench/run.sh [BENCHMARK OPTIONS...]
exec "$(dirname "$0")/build_and_run.sh" zudb_bench work "$@"
