# Sourced by the scripts: quiet, timed steps whose output goes to a log file under build/
# and is shown only when the step fails, and test suites counted towards one summary line.

KMM_PASSED=0
KMM_FAILED=0
KMM_JOBS=$(nproc)

# kmm_step LOG WHAT COMMAND...: runs COMMAND with its output in LOG, says how long it took;
# on failure shows the end of LOG and returns COMMAND's status.
kmm_step() {
    local log=$1 what=$2
    shift 2
    mkdir -p "$(dirname "$log")"
    printf '%s ... ' "$what"
    local start=$SECONDS status=0
    "$@" >"$log" 2>&1 || status=$?
    if ((status == 0)); then
        echo "done in $((SECONDS - start)) s"
    else
        echo "FAILED after $((SECONDS - start)) s; the end of $log:"
        tail -n 80 "$log" | sed 's/^/    /'
    fi
    return "$status"
}

kmm_configure_and_build() {
    local dir=$1 target=$2
    shift 2
    cmake -S . -B "$dir" "$@" && cmake --build "$dir" -j"$KMM_JOBS" --target "$target"
}

# kmm_build DIR TARGET [CMAKE OPTIONS...]: configures DIR and builds TARGET (all: everything);
# the log is DIR/build.log.
kmm_build() {
    local dir=$1 target=$2
    shift 2
    kmm_step "$dir/build.log" "Building $target in $dir" \
        kmm_configure_and_build "$dir" "$target" "$@"
}

# kmm_suite NAME DIR: runs the ctest suite of DIR (log: DIR/test.log) and adds its counts to
# the summary. A failing suite is reported, not fatal: the other suites still run.
kmm_suite() {
    local name=$1 dir=$2 start=$SECONDS status=0
    printf '%s ... ' "$name"
    ctest --test-dir "$dir" --output-on-failure -j"$KMM_JOBS" --timeout 600 >"$dir/test.log" 2>&1 ||
        status=$?
    local total failed
    total=$(sed -nE 's/.* tests? failed out of ([0-9]+).*/\1/p' "$dir/test.log" | tail -n 1)
    failed=$(sed -nE 's/.* ([0-9]+) tests? failed out of.*/\1/p' "$dir/test.log" | tail -n 1)
    if [[ -z $total ]]; then  # no summary: ctest itself failed
        total=1 failed=1
    fi
    KMM_PASSED=$((KMM_PASSED + total - failed))
    KMM_FAILED=$((KMM_FAILED + failed))
    echo "$((total - failed)) passed, $failed failed in $((SECONDS - start)) s"
    if ((status != 0 || failed != 0)); then
        # The failing checks' own lines first, so a remote log says what broke.
        grep -E -m 20 'Failure|FAILED  |\*\*\*Failed|error|could not' "$dir/test.log" |
            sed 's/^/    /' || true
        sed -n '/The following tests FAILED/,$p' "$dir/test.log" | sed 's/^/    /'
        echo "    (whole output: $dir/test.log)"
    fi
}

# kmm_check LOG WHAT COMMAND...: a kmm_step that counts as one test in the summary.
kmm_check() {
    if kmm_step "$@"; then
        KMM_PASSED=$((KMM_PASSED + 1))
    else
        KMM_FAILED=$((KMM_FAILED + 1))
    fi
}

# The one line for all suites; the status of the script.
kmm_summary() {
    echo "$KMM_PASSED passed, $KMM_FAILED failed"
    ((KMM_FAILED == 0))
}
