#!/usr/bin/env bash
# velnor7ctl run as a user runs it, against the simulated keyboard.
set -u
ctl=$1
completion=$(dirname "$0")/../../packaging/completion/velnor7ctl
passed=0
failures=0
check() {  # check DESCRIPTION COMMAND...
  local description=$1
  shift
  if "$@"; then echo "ok: $description"; passed=$((passed + 1)); else echo "FAILED: $description"; failures=$((failures + 1)); fi
}

list=$("$ctl" --simulate list)
check "list shows the command collection in slot 0" grep -q '&mi_01&col04 .* slot 0 (command)' <<<"$list"
check "list shows the consumer collection in slot 1" grep -q '&mi_01&col03 .* slot 1 (consumer)' <<<"$list"
check "list shows the boot interface unmatched" grep -q '&mi_00 .* slot none' <<<"$list"

info=$("$ctl" --simulate info 2>/dev/null)
check "info decodes the key count" grep -q 'keys (K)     126' <<<"$info"
check "info decodes the macro memory" grep -q 'macro memory 2048 bytes' <<<"$info"

trace=$("$ctl" --simulate --trace info 2>&1 >/dev/null)
check "--trace shows the exchanges" grep -q '^命令$' <<<"$trace"
check "--trace shows the reply of ReadDeviceInfo" grep -q '^04 .. .. 03   22 00 00 00' <<<"$trace"

json=$("$ctl" --simulate --json info)
check "--json info is JSON with the decoded fields" python3 -c '
import json, sys
devices = json.loads(sys.argv[1])
assert len(devices) == 1 and devices[0]["keys"] == 126 and devices[0]["slot"] == 0, devices
assert len(devices[0]["info"].split()) == 34' "$json"
json=$("$ctl" --json --simulate list)
check "--json list is JSON" python3 -c '
import json, sys
slots = sorted(i["slot"] for i in json.loads(sys.argv[1]) if i["slot"] is not None)
assert slots == [0, 1], slots' "$json"

"$ctl" --simulate frobnicate >/dev/null 2>&1
check "an unknown command exits with status 2" test $? -eq 2
"$ctl" --simulate --colour info >/dev/null 2>&1
check "an unknown option exits with status 2" test $? -eq 2
"$ctl" >/dev/null 2>&1
check "no command exits with status 2" test $? -eq 2

help_err=$("$ctl" --help 2>&1 >/dev/null)
check "--help prints to stdout only, with status 0" test $? -eq 0 -a -z "$help_err"
check "--version prints the version" grep -qx 'velnor7ctl [0-9]\+\(\.[0-9]\+\)*' <("$ctl" --version)
wrong=$("$ctl" help nosuch 2>&1 >/dev/null)
check "help of no command exits with status 2" test $? -eq 2
check "a wrong call is followed by the usage" grep -q '^usage: velnor7ctl' <<<"$wrong"

# Nothing listens on port 1 of the loopback interface.
unreachable=$(VELNOR7_UPDATE_URL=http://127.0.0.1:1 "$ctl" --simulate update check 2>&1 >/dev/null)
check "update check without a reachable service exits with status 1" test $? -eq 1
check "and names the service's address" grep -qx 'velnor7ctl: the update service at http://127.0.0.1:1/ cannot be reached' <<<"$unreachable"

# Completion, as bash asks for it: the words so far, and the one being completed.
complete_words() {  # complete_words WORD... (the last one is being completed)
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _velnor7ctl; printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd " " -' \
    _ "$completion" "$@"
}
check "completion: commands" test "$(complete_words velnor7ctl li)" = "light list"
check "completion: light's sub-commands" test "$(complete_words velnor7ctl light '')" = "get off on set"
check "completion: options of light set" grep -qw -- '--no-multicolour' <<<"$(complete_words velnor7ctl --simulate light set --)"
check "completion: colour names" test "$(complete_words velnor7ctl light set --colour p)" = "pink purple"
check "completion: the keyboard's modes" test "$(complete_words "$ctl" light set --mode 2)" = "2 20 21 23 24"
check "completion: global options" test "$(complete_words velnor7ctl --v)" = "--version"

# The keyboard commands keep the device in a state file and the profiles in a folder of
# their own, as separate runs of the program would.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export VELNOR7_SIM_STATE=$scratch/keyboard.json XDG_DATA_HOME=$scratch/data

set_out=$("$ctl" --simulate light set --mode 5 --brightness 3 --speed 1 --colour '#FF8000' --multicolour)
check "light set writes the record" grep -q 'light record written: mode 5' <<<"$set_out"
check "light set saved the profile" grep -rq '"SelectItem" : 5' "$scratch/data/VELNOR7/keyboard"
get_out=$("$ctl" --simulate light get)
check "light get reads what light set wrote, in a later run" grep -qx 'colour ff8000' <<<"$get_out"
check "light get shows the speed as set" grep -qx 'speed 1' <<<"$get_out"
"$ctl" --simulate light set --mode 99 >/dev/null 2>&1
check "a mode the keyboard does not have exits with status 2" test $? -eq 2
check "the refused mode was not written" grep -qx 'mode 5' <("$ctl" --simulate light get)
"$ctl" --simulate light set --speed 9 >/dev/null 2>&1
check "a speed out of range exits with status 2" test $? -eq 2
check "light off switches the lighting off" "$ctl" --simulate light off

"$ctl" --simulate keymap set A 200005 >/dev/null
keys=$("$ctl" --simulate --json keymap get)
check "keymap set reaches the keyboard, and a later run still finds the remapped key" python3 -c '
import json, sys
entries = json.loads(sys.argv[1])
a = [e for e in entries if e["name"] == "A"][0]
assert a["slot"] is not None and a["code"] == "200005", a
assert not any(e["index"] is None for e in entries), "a slot no key maps"
assert [e for e in entries if e["name"] == "F1"][0]["code"] == "20003a"' "$keys"
# A takes the factory code of C, is remapped again by its displayed name in another letter case,
# and each run still tells A's slot from C's.
"$ctl" --simulate keymap set A 200006 >/dev/null
check "a key remapped to another key's factory code can be remapped again" "$ctl" --simulate keymap set a 200039
"$ctl" --simulate keymap set "caps lock" 200004 >/dev/null
keys=$("$ctl" --simulate --json keymap get)
check "remapped keys keep their own slots across runs" python3 -c '
import json, sys
by_name = {e["name"]: e for e in json.loads(sys.argv[1]) if e["name"]}
a, c, caps = by_name["A"], by_name["C"], by_name["Caps Lock"]
assert a["code"] == "200039" and c["code"] == "200006" and caps["code"] == "200004", (a, c, caps)
assert len({a["slot"], c["slot"], caps["slot"]}) == 3, (a, c, caps)' "$keys"
check "keymap reset restores every key" "$ctl" --simulate keymap reset
keys=$("$ctl" --simulate --json keymap get)
check "after reset every key has its factory code again" python3 -c '
import json, sys
by_name = {e["name"]: e for e in json.loads(sys.argv[1]) if e["name"]}
assert by_name["A"]["code"] == "200004" and by_name["Caps Lock"]["code"] == "200039", by_name["A"]' "$keys"
"$ctl" --simulate keymap set A ffffff >/dev/null 2>&1
check "a code no function has exits with status 2" test $? -eq 2
"$ctl" --simulate keymap set NoSuchKey 200005 >/dev/null 2>&1
check "an unknown key name exits with status 2" test $? -eq 2
macros=$("$ctl" --simulate macros write)
check "macros write with an empty list writes nothing" grep -q 'nothing to write' <<<"$macros"

# One owner per device: while another program holds the keyboard, nothing is written to it.
coproc holder { exec flock "$VELNOR7_SIM_STATE.lock" -c 'echo locked; exec cat'; }
read -r held <&"${holder[0]}"
check "another program holds the keyboard" test "$held" = locked
busy=$("$ctl" --simulate light set --mode 6 2>&1 >/dev/null)
check "a keyboard in another program's hands is not written: status 1" test $? -eq 1
check "and the message names the holder" grep -q "the keyboard is in use by flock, pid $holder_PID; nothing was done" <<<"$busy"
holder_pid=$holder_PID
holder_input=${holder[1]}
exec {holder_input}>&-
wait "$holder_pid" 2>/dev/null
check "once let go, the keyboard is taken again, as it was" grep -qx 'mode 5' <("$ctl" --simulate light get)

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
