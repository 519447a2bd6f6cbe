#!/bin/sh
# Runs clang with the given arguments; exits 77 (a skip) when clang is absent.
command -v clang >/dev/null 2>&1 || { echo "clang not installed: skipped"; exit 77; }
exec clang "$@"
