# shellcheck shell=bash
# Sourced by the scripts: steps whose output goes to a log, shown only when they fail.

# Prints the last lines of a failed step's log and where the whole of it is.
show_failure() {
  local log=$1
  shift
  tail -n 100 "$log"
  echo "failed: $* (whole output in $log)"
}

# Runs a command with its output in a log file; prints the log's tail when it fails.
quietly() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    show_failure "$log" "$@"
    return 1
  fi
}
