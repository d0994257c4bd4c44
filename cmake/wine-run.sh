#!/bin/sh
# Runs a Windows program under Wine for CTest: its output through a file, so that Wine's own
# processes that start with it (and may outlive it) do not hold CTest's pipe open; Windows line
# ends become Unix ones.
out=$(mktemp) || exit 1
wine "$@" >"$out" 2>&1
status=$?
tr -d '\r' <"$out"
rm -f "$out"
exit $status
