#!/usr/bin/env bash
# test-ardour.sh BUILD
#
# The LV2 plug-in in Ardour 7, headless (Debian's ardour: ardour7-lua and
# ardour7-export), in a temporary home folder that sees only the built bundle:
#   1. ardour7-lua builds a session: a MIDI track with Quivertone, a phrase
#      played into it by a small Lua DSP script of ours (timed by the transport),
#      settings on five of its ports; saved. The session's range is written into
#      the saved file (Ardour's Lua has no call for it).
#   2. ardour7-export loads the session (the ports and the plug-in's state) and
#      renders it. The render must equal the VST 2 library's render of the same
#      phrase and settings (qvt render) within 1e-3, and differ from the render
#      without the settings.
#   3. ardour7-lua loads the session, lets it run and saves it again: the
#      plug-in's saved state now holds the settings and the program's name; the
#      export of the reloaded session equals the first one.
# Slow (a minute or two) and needs Ardour: not part of `make test`.
set -euo pipefail

build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
"$source/scripts/install-deps.sh" --dist
lua=$(command -v ardour7-lua || true)
export_tool=$(command -v ardour7-export || true)
[ -n "$lua" ] && [ -n "$export_tool" ] || { echo "test-ardour: Ardour 7's ardour7-lua and ardour7-export are missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lv2" "$work/home/.config/ardour7/scripts"
ln -s "$build/Quivertone.lv2" "$work/lv2/Quivertone.lv2"
export HOME=$work/home LV2_PATH=$work/lv2
session=$work/session

failures=0
check() { # check DESCRIPTION COMMAND...
  local description=$1
  shift
  if "$@"; then echo "ok   $description"; else echo "FAIL $description"; failures=$((failures + 1)); fi
}

# The phrase, as frames at 48 kHz (multiples of 25: whole ticks of the MIDI file below).
phrase="4800 144 57 100, 30000 128 57 0, 30000 144 60 90, 60000 144 64 110, 60025 128 60 0, 90000 128 64 0, 96000 144 45 120, 130000 128 45 0"
settings="10=0.2 11=0.3 24=0.4 26=0.02 37=0"

lua_phrase=$(sed -E 's/([0-9]+) ([0-9]+) ([0-9]+) ([0-9]+)/{ \1, \2, \3, \4 }/g' <<<"$phrase")
cat >"$HOME/.config/ardour7/scripts/qvt_test_phrase.lua" <<LUA
ardour {
  ["type"] = "dsp", name = "QVT Test Phrase", category = "Utility", license = "GPLv3",
  author = "Quivertone", description = [[A fixed phrase while the transport rolls.]]
}
function dsp_ioconfig () return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 } } end
local phrase = { $lua_phrase }
function dsp_run (_, _, n_samples)
  if not Session:transport_rolling () then return end
  local position = Session:transport_sample ()
  local count = 1
  for _, e in ipairs (phrase) do
    if e[1] >= position and e[1] < position + n_samples then
      midiout[count] = { time = e[1] - position + 1, data = { e[2], e[3], e[4] } }
      count = count + 1
    end
  end
end
LUA

lua_settings=$(sed -E 's/([0-9]+)=([0-9.]+)/{ \1, \2 },/g' <<<"$settings")
cat >"$work/make.lua" <<LUA
AudioEngine:set_backend ("None (Dummy)", "", "")
create_session ("$session", "qvt", 48000)
local info = ARDOUR.LuaAPI.new_plugin_info ("https://quivertone.org/lv2/quivertone", ARDOUR.PluginType.LV2)
assert (not info:isnil (), "Ardour does not list the plug-in")
local tracks = Session:new_midi_track (ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1),
  ARDOUR.ChanCount (ARDOUR.DataType ("audio"), 2), true, info, nil, nil, 1, "Quivertone",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local track = tracks:front ()
local phrase = ARDOUR.LuaAPI.new_luaproc (Session, "QVT Test Phrase")
assert (not phrase:isnil (), "no phrase script")
assert (track:add_processor_by_index (phrase, 0, nil, true) == 0)
local synth = track:nth_plugin (1)
assert (synth:display_name () == "Quivertone", synth:display_name ())
for _, s in ipairs ({ $lua_settings }) do
  assert (ARDOUR.LuaAPI.set_processor_param (synth, s[1], s[2]))
end
Session:save_state ("", false, false, false, false, false)
close_session ()
LUA
cat >"$work/reload.lua" <<LUA
AudioEngine:set_backend ("None (Dummy)", "", "")
load_session ("$session", "qvt")
ARDOUR.LuaAPI.usleep (500000) -- a few hundred blocks run
Session:save_state ("", false, false, false, false, false)
close_session ()
LUA

python3 - "$work/phrase.mid" "$phrase" <<'PY'
import struct, sys
events = [tuple(int(v) for v in e.split()) for e in sys.argv[2].split(",")]
def vlq(n):
    out = [n & 0x7F]; n >>= 7
    while n: out.append(0x80 | (n & 0x7F)); n >>= 7
    return bytes(reversed(out))
track, last = b"", 0
for frame, status, key, velocity in events:  # 120 BPM, 960 ticks a quarter: 25 frames a tick
    track += vlq(frame // 25 - last) + bytes([status, key, velocity]); last = frame // 25
track += b"\x00\xff\x2f\x00"
open(sys.argv[1], "wb").write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 960) + b"MTrk" +
                              struct.pack(">I", len(track)) + track)
PY
set_args=()
for s in $settings; do set_args+=(--set "$s"); done
"$build/qvt" render "$build/Quivertone.so" "$work/phrase.mid" -o "$work/vst.wav" --rate 48000 --tail 0.2 "${set_args[@]}" >/dev/null
"$build/qvt" render "$build/Quivertone.so" "$work/phrase.mid" -o "$work/vst-plain.wav" --rate 48000 --tail 0.2 >/dev/null

echo "== a session made and rendered by Ardour"
timeout 300 "$lua" "$work/make.lua" >"$work/make.log" 2>&1 || { cat "$work/make.log" >&2; exit 1; }
# The session's range, 3 s (Ardour 7 keeps positions in superclock ticks, 282240000 a second).
sed -i 's|<Locations/>|<Locations><Location id="990001" name="session" start="a0" end="a846720000" flags="IsSessionRange" locked="0" timestamp="0" cue="0"/></Locations>|' \
  "$session/qvt.ardour"
timeout 300 "$export_tool" -b float -o "$work/first.wav" "$session" qvt >"$work/export1.log" 2>&1
timeout 300 "$lua" "$work/reload.lua" >"$work/reload.log" 2>&1 || { cat "$work/reload.log" >&2; exit 1; }
timeout 300 "$export_tool" -b float -o "$work/second.wav" "$session" qvt >"$work/export2.log" 2>&1

# compare.py A B [TOLERANCE]: aligns B on A by the first frame that sounds and
# prints the offset and the largest difference; exit 1 above the tolerance.
cat >"$work/compare.py" <<'PY'
import array, struct, sys
def samples(path):
    data = open(path, "rb").read(); position = 12
    while position + 8 <= len(data):
        chunk, size = data[position:position + 4], struct.unpack("<I", data[position + 4:position + 8])[0]
        if chunk == b"data": return array.array("f", data[position + 8:position + 8 + size])
        position += 8 + size + (size & 1)
    return array.array("f")
a, b = samples(sys.argv[1]), samples(sys.argv[2])
first = lambda s: next(i for i, v in enumerate(s) if abs(v) > 1e-6) // 2
offset = first(a) - first(b)
n = min(len(a) // 2 - max(offset, 0), len(b) // 2 - max(-offset, 0))
worst = max(abs(a[2 * (i + max(offset, 0)) + c] - b[2 * (i + max(-offset, 0)) + c]) for i in range(n) for c in (0, 1))
print(f"offset {offset} frames, {n} frames compared, largest difference {worst:.3g}")
sys.exit(0 if worst <= float(sys.argv[3]) else 1)
PY
echo "Ardour against the VST 2 render:   $(python3 "$work/compare.py" "$work/first.wav" "$work/vst.wav" 1 || true)"
echo "Ardour against it without settings: $(python3 "$work/compare.py" "$work/first.wav" "$work/vst-plain.wav" 1 || true)"
echo "the reloaded session against the first: $(python3 "$work/compare.py" "$work/second.wav" "$work/first.wav" 1 || true)"
check "Ardour renders the LV2 plug-in with the settings as the VST 2 library does (within 1e-3)" \
  python3 "$work/compare.py" "$work/first.wav" "$work/vst.wav" 1e-3
check "... and the settings are heard (the render without them differs by more than 0.05)" \
  bash -c "! python3 '$work/compare.py' '$work/first.wav' '$work/vst-plain.wav' 0.05 >/dev/null"
states=$(ls -d "$session"/plugins/*/state* | sort -V)
first_state=$(head -n 1 <<<"$states")/state.ttl
state=$(tail -n 1 <<<"$states")/state.ttl
# The values of a state file's edit buffer at the indices set, and its program's name.
state_of() {
  python3 - "$1" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
values = re.findall(r'"([-0-9.e]+)"\^\^xsd:float', text)
name = re.findall(r'quivertone#programName> "([^"]*)"', text)
print(" ".join(values[i] for i in (10, 11, 24, 26, 37)), "|", name[0] if name else "")
PY
}
after=$(state_of "$state")
check "the state saved after the reload holds the settings ($after)" \
  test "${after% |*}" = "0.2 0.30000001 0.40000001 0.02 0.0"
check "... and the program's name it was saved with" \
  test -n "${after#*| }" -a "${after#*| }" = "$(state_of "$first_state" | sed 's/.*| //')"
check "the reloaded session sounds as the first" \
  python3 "$work/compare.py" "$work/second.wav" "$work/first.wav" 0

echo "$failures failed"
[ $failures -eq 0 ]
