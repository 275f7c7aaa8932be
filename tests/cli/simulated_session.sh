#!/usr/bin/env bash
# velnor7ctl run as a user runs it, against the simulated keyboard.
set -u
ctl=$1
failures=0
check() {  # check DESCRIPTION COMMAND...
  local description=$1
  shift
  if "$@"; then echo "ok: $description"; else echo "FAILED: $description"; failures=$((failures + 1)); fi
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

# The keyboard commands keep the device in a state file and the profiles in a folder of
# their own, as separate runs of the program would.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export VELNOR7_SIM_STATE=$scratch/keyboard.json XDG_DATA_HOME=$scratch/data

set_out=$("$ctl" --simulate light set --mode 5 --brightness 3 --speed 1 --colour ff8000 --multicolour)
check "light set writes the record" grep -q 'light record written: mode 5' <<<"$set_out"
check "light set saved the profile" grep -rq '"SelectItem" : 5' "$scratch/data/VELNOR7/keyboard"
get_out=$("$ctl" --simulate light get)
check "light get reads what light set wrote, in a later run" grep -qx 'colour ff8000' <<<"$get_out"
check "light get shows the speed as set" grep -qx 'speed 1' <<<"$get_out"
"$ctl" --simulate light set --speed 9 >/dev/null 2>&1
check "a speed out of range exits with status 2" test $? -eq 2
check "light off switches the lighting off" "$ctl" --simulate light off

"$ctl" --simulate keymap set A 200005 >/dev/null
keys=$("$ctl" --simulate --json keymap get)
check "keymap set reaches the keyboard; the slot shows with its new code" python3 -c '
import json, sys
entries = json.loads(sys.argv[1])
a = [e for e in entries if e["name"] == "A"][0]
assert a["slot"] is None, a
assert any(e["index"] is None and e["code"] == "200005" for e in entries)
assert [e for e in entries if e["name"] == "F1"][0]["code"] == "20003a"' "$keys"
"$ctl" --simulate keymap set NoSuchKey 200005 >/dev/null 2>&1
check "an unknown key name exits with status 2" test $? -eq 2
macros=$("$ctl" --simulate macros write)
check "macros write with an empty list writes nothing" grep -q 'nothing to write' <<<"$macros"

echo "$((21 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
