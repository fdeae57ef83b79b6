# Shared by the scripts that check the Windows build under Wine: the Wine
# settings, a line per check, and the closing count. Sourced, not run.
WINE=${WINE:-/usr/lib/wine/wine64}
# Mono and Gecko are never needed and would be offered in a dialog.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes file names and arguments from the Unix side in the locale's
# character set.
export LC_ALL=C.UTF-8

# A fresh prefix in FOLDER, made once, with a server that stays until the
# caller's clean-up ends it (wineserver -k): one that ends between two checks
# can be lost by the program starting just then.
wine_prefix() {
  export WINEPREFIX=$1
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wineserver -p
  "$WINE" wineboot -i >/dev/null 2>&1 || true
}

passed=0
total=0
# check "what" command...: runs the command, prints ok or FAIL and, on a
# failure, the start of what it said.
check() {
  local name=$1
  shift
  total=$((total + 1))
  if "$@" >why 2>&1; then
    passed=$((passed + 1))
    echo "ok    $name"
  else
    echo "FAIL  $name"
    sed -n '1,25s/^/      /p' why
  fi
}

# checks_done "name" [more text]: the count, and the exit status for the end.
checks_done() {
  echo "$1: $passed/$total checks passed ($(($(date +%s) - start)) s)${2:-}"
  [ "$passed" -eq "$total" ]
}
