# Shared by the scripts in scripts/: sourced, never run.

# ensure_packages <package>...: installs those of the Debian packages that are
# missing (apt-get, with sudo when not root). Its output goes to standard error.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    ((${#missing[@]})) || return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >&2
}

# Builds made for CI (CI=true, as .ci/run sets it) treat warnings as errors:
# pass "-DCLAVITONE_WERROR=$(clavitone_werror)" to every configure.
clavitone_werror() {
    if [ "${CI:-}" = true ]; then echo ON; else echo OFF; fi
}

# The cache of what is built once and reused (the Windows Qt).
clavitone_cache() {
    echo "${CLAVITONE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/clavitone}"
}

# fail <message>...: a check's failure, on standard error; ends the script.
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# wait_for <seconds> <command>...: runs the command until it succeeds, for that
# many seconds at most; fails when it never does.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# timed <name> <command>...: runs the command, then prints (on standard error)
# its wall-clock time, the processor time (user and system) it and the
# children it waited for took, and the load average.
timed() {
    local name="$1" start="$SECONDS" self="$BASHPID" before after status=0
    shift
    # This shell's own times and those of the children it has waited for.
    before="$(awk '{ print $14 + $15 + $16 + $17 }' "/proc/$self/stat")"
    "$@" || status=$?
    after="$(awk '{ print $14 + $15 + $16 + $17 }' "/proc/$self/stat")"
    local elapsed=$((SECONDS - start))
    printf '== %s: %d min %02d s, processor time %s min, load average %s\n' "$name" \
        $((elapsed / 60)) $((elapsed % 60)) \
        "$(awk -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", t / hz / 60 }')" \
        "$(cut -d' ' -f1-3 /proc/loadavg)" >&2
    return "$status"
}
