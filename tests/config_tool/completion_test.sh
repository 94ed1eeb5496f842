#!/usr/bin/env bash
# The bash completion of kvo7730-config offers the commands, the settings' names from the
# program itself, a setting's values, and the instances that have a folder.
#   completion_test.sh COMPLETION_FILE KVO7730_CONFIG
set -uo pipefail
completion="$1"
program="$2"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export XDG_CONFIG_HOME="$home" XDG_RUNTIME_DIR="$home/runtime"
mkdir -p "$home/DARavev/instances/garage" && mkdir -m 700 "$home/runtime"

# bash-completion's own helper, as far as this completion uses it.
_init_completion() {
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
}
# shellcheck source=/dev/null
source "$completion"

status=0
# offers WORDS... -- EXPECTED...: completing the last word offers exactly EXPECTED.
offers() {
    local words=() expected=()
    while [[ $1 != -- ]]; do words+=("$1"); shift; done
    shift
    expected=("$@")
    COMP_WORDS=("$program" "${words[@]}")
    COMP_CWORD=${#words[@]}
    COMPREPLY=()
    _kvo7730_config
    if [[ "${COMPREPLY[*]}" != "${expected[*]}" ]]; then
        echo "completing \"${words[*]}\": got \"${COMPREPLY[*]}\", wanted \"${expected[*]}\""
        status=1
    fi
}
offers re -- reset
offers set com -- com-port
offers set com-port 3 conn -- connection
offers set connection '' -- usb zigbee1 zigbee2
offers --instance garage set start-real-time y -- yes
offers --instance '' -- default garage
offers get dashboard-p -- dashboard-port
offers --re -- --restart
exit $status
