#!/bin/sh
# Builds the host record benchmark (optimised, native) and runs it once:
# 1 000 000 records of 200 bytes through ZuFConversion.
#   bench/hostrec.sh [RECORDS]
exec "$(dirname "$0")/build_and_run.sh" hostrec_bench hostrec "$@"
