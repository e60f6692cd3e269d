# Sourced by the scripts that run a Windows test program in a Wine prefix made for that run and
# removed after it, so what the test changes never reaches the prefix the other tests share, even
# when a case fails half-way. The sourcing script sets `root` (the source tree).

# Makes the prefix in $1/prefix; $1 is a scratch folder of this run's own, emptied first (a killed run
# leaves it behind) and removed when the script exits.
make_own_prefix() {
    own_scratch=$1
    export WINEPREFIX=$own_scratch/prefix
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
    trap remove_own_prefix EXIT
    trap 'exit 143' TERM INT
    rm -rf "$own_scratch"
    "$root/scripts/wine-prefix" "$WINEPREFIX"
}

remove_own_prefix() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$own_scratch"
}

# Starts the prefix's services before the test, so its first program does not wait for them; the
# server ends by itself soon after its last process even if the script is killed.
start_own_prefix() {
    wineserver -p10
    wine cmd /c exit </dev/null >/dev/null 2>&1
}
