#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target for a bounded time, each starting from its committed seeds in a scratch
# corpus (the seeds in the repository are left as they are), and prints each target's executions
# and coverage. Fails when a target crashes or finds a broken property; the input that did it is
# kept under <build-dir>/fuzz-artifacts.
#
#   fuzz/run-fuzzers.sh <build-dir> [seconds per target, default 60]
set -euo pipefail

build=${1:?usage: $0 <build-dir> [seconds per target]}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
for seeds in "$here"/corpus/*/; do
    name=$(basename "$seeds")
    target="$build/fuzz/$name"
    if [ ! -x "$target" ]; then
        echo "$name: not built ($target)"
        status=1
        continue
    fi
    mkdir -p "$work/$name"
    cp "$seeds"* "$work/$name/"
    log="$work/$name.log"
    if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$work/$name-" "$work/$name" >"$log" 2>&1; then
        done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\) corp: \([^ ]*\).*/\1 edges, \2 features, corpus \3/p' <<<"$done_line")
        echo "$name: ${runs:-?} executions in ${seconds} s, coverage ${cov:-?}"
    else
        echo "$name: FAILED"
        tail -n 40 "$log"
        mkdir -p "$build/fuzz-artifacts"
        cp "$work/$name"-* "$build/fuzz-artifacts/" 2>/dev/null || true
        status=1
    fi
done
exit $status
