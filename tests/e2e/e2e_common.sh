# Sourced by the end-to-end scripts: skips the test (exit 77) when a tool it drives the desktop with is
# missing, and gives it a scratch folder in $work that goes when the script ends.
# Usage: require_tools TOOL...
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}
