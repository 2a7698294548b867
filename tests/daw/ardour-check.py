#!/usr/bin/env python3
"""Carvolin in a real DAW: Ardour 7, headless, on its "None (Dummy)" backend.

    ardour-check.py lv2|vst3 BUNDLE OUTPUT_FOLDER

For the plug-in format given, with a private HOME and a copy of the bundle:
  1. a new session, Carvolin on a MIDI track ("Sketch") and a second MIDI track
     ("Recorder"); the transport rolls a few seconds; Ardour ran the plug-in
     (its insert is active and has processing statistics); saved and closed;
  2. a known state document put into the saved session (VST3: the
     plug-in's <chunk>; LV2: its state.ttl);
  3. the session reopened in a new process: Carvolin is back on its track;
     its MIDI out goes to the record-armed Recorder, which records while the
     transport rolls; saved and closed;
  4. the state in the saved session is the document put in, and the notes
     recorded are the arrangement's (pitch, channel, start and length within
     a millisecond at the session's 120 BPM);
  5. Carvolin's state replaced by one that arms its track 2; the session
     reopened in a new process: the Recorder's region now plays into
     Carvolin's input while the transport rolls; saved and closed;
  6. reopened and saved again in a new process: Carvolin's state holds a
     clip on track 2 with exactly the region's notes (pitch, velocity, start
     and length within one tick).
Ardour prints nothing as an error throughout. Every run's output and the
sessions stay in OUTPUT_FOLDER. Exits 77 (skipped) when Ardour is missing.

What Ardour 7.3 needs (learned the hard way):
  - ardour7-lua reads only Ardour's plug-in cache: a VST3 bundle is scanned
    first, with a modification time before the scan (the cache keeps whole
    seconds, and a bundle changed in the second of its scan is left out).
  - Setting a VST3 state through Lua's load_preset deadlocks with JUCE
    plug-ins; the state goes in through the saved session instead.
  - Lua reaches no state blob: it is read from the saved session.
  - A session is closed only after every Lua reference to its routes and
    plug-ins is dropped; each step runs in a process of its own.
"""
import base64
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import xml.etree.ElementTree as ET
from pathlib import Path

ARDOUR_LUA = "ardour7-lua"
VST3_SCANNER = "/usr/lib/ardour7/ardour-vst3-scanner"
LV2_URI = "https://carvolin.org/plugins/carvolin"
SESSION = "carvolin"
RATE = 48000
BPM = 120.0
TICKS_PER_QUARTER = 960      # Carvolin's
ARDOUR_TICKS_PER_BEAT = 1920  # Ardour's

# The arrangement the state document holds, and that the DAW must record:
# two tracks, notes of several lengths, two sounding at once, one that a later
# one of the same key follows at once. (track, startQ, lengthQ, [(pitch, startTick, lengthTicks, velocity)])
CLIPS = [
    (1, 0, 4, [(60, 0, 480, 100), (64, 960, 240, 90), (67, 960, 1920, 80), (60, 480, 480, 70)]),
    (2, 4, 4, [(48, 0, 960, 127), (55, 480, 1440, 64)]),
]
ROLL_SECONDS = 5.0  # the arrangement ends at quarter 7.5, 3.75 s

# ---------------------------------------------------------------------------
# The state document and its two containers.


def state_document():
    root = ET.Element("CarvolinState", {"midiOut": "1"})
    for track, start, length, notes in CLIPS:
        clip = ET.SubElement(root, "Clip", {"track": str(track), "startQ": str(start), "lengthQ": str(length)})
        for pitch, tick, ticks, velocity in notes:
            ET.SubElement(clip, "Note", {"pitch": str(pitch), "startTick": str(tick), "lengthTicks": str(ticks), "velocity": str(velocity)})
    return ET.tostring(root, encoding="unicode")


def document_to_blob(xml):
    """As JUCE's AudioProcessor::copyXmlToBinary writes it."""
    text = xml.encode("utf-8")
    return struct.pack("<II", 0x21324356, len(text)) + text + b"\0"


def blob_to_document(blob):
    if len(blob) < 8:
        return None
    magic, size = struct.unpack("<II", blob[:8])
    if magic != 0x21324356:
        return None
    return blob[8:8 + size].decode("utf-8")


JUCE_BASE64 = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+"


def juce_base64(data):
    """JUCE's MemoryBlock::toBase64Encoding, which its LV2 wrapper stores."""
    bits = int.from_bytes(data, "little")
    chars = (len(data) * 8 + 5) // 6
    return f"{len(data)}." + "".join(JUCE_BASE64[(bits >> (6 * i)) & 63] for i in range(chars))


def from_juce_base64(text):
    size, _, chars = text.partition(".")
    bits = 0
    for i, c in enumerate(chars):
        bits |= JUCE_BASE64.index(c) << (6 * i)
    size = int(size)
    return (bits & ((1 << (8 * size)) - 1)).to_bytes(size, "little")


# A VST3 chunk in an Ardour session is a .vstpreset: "VST3", a version, the
# class id, the offset of a list of chunks; the "Comp" chunk is the component
# state, which JUCE ends with its own private data:
#   [plug-in state][int64 0][private data][int64 its size]["JUCEPrivateData"]
JUCE_TAG = b"JUCEPrivateData"


def vst3_chunks(raw):
    if raw[:4] != b"VST3":
        raise ValueError("not a VST3 preset")
    list_at = struct.unpack("<q", raw[40:48])[0]
    if raw[list_at:list_at + 4] != b"List":
        raise ValueError("no chunk list")
    count = struct.unpack("<i", raw[list_at + 4:list_at + 8])[0]
    chunks = []
    for i in range(count):
        entry = raw[list_at + 8 + 20 * i:list_at + 28 + 20 * i]
        offset, size = struct.unpack("<qq", entry[4:20])
        chunks.append((entry[:4], raw[offset:offset + size]))
    return chunks


def juce_private_tail(component):
    if not component.endswith(JUCE_TAG):
        return b""
    size = struct.unpack("<q", component[-len(JUCE_TAG) - 8:-len(JUCE_TAG)])[0]
    return component[-(len(JUCE_TAG) + 16 + size):]


def vst3_state(chunk_text):
    component = dict(vst3_chunks(base64.b64decode(chunk_text)))[b"Comp"]
    return component[:len(component) - len(juce_private_tail(component))]


def vst3_with_state(chunk_text, state):
    raw = base64.b64decode(chunk_text)
    data, entries = b"", []
    for chunk_id, chunk in vst3_chunks(raw):
        if chunk_id == b"Comp":
            chunk = state + juce_private_tail(chunk)
        entries.append((chunk_id, 48 + len(data), len(chunk)))
        data += chunk
    chunk_list = b"List" + struct.pack("<i", len(entries)) + b"".join(i + struct.pack("<qq", o, s) for i, o, s in entries)
    return base64.b64encode(raw[:40] + struct.pack("<q", 48 + len(data)) + data + chunk_list).decode()


class Session:
    """Where the plug-in's state lives in a saved session, for each format."""

    def __init__(self, folder, plugin_format):
        self.folder, self.format = folder, plugin_format
        self.file = folder / f"{SESSION}.ardour"

    def _lv2_state_file(self):
        text = self.file.read_text()
        processor = re.search(r'<Processor [^>]*name="Carvolin"[^>]*type="lv2".*?</Processor>', text, re.S)
        if processor is None:
            return None
        pid = re.search(r' id="(\d+)"', processor.group(0)).group(1)
        state_dir = re.search(r'state-dir="([^"]+)"', processor.group(0)).group(1)
        return self.folder / "plugins" / pid / state_dir / "state.ttl"

    def read_state(self):
        if self.format == "vst3":
            chunk = re.search(r'<Processor [^>]*name="Carvolin".*?<chunk>([^<]*)</chunk>', self.file.read_text(), re.S)
            return None if chunk is None else vst3_state(chunk.group(1))
        ttl = self._lv2_state_file()
        found = ttl and ttl.exists() and re.search(r'StateString> "([^"]*)"', ttl.read_text())
        return from_juce_base64(found.group(1)) if found else None

    def write_state(self, state):
        if self.format == "vst3":
            text = self.file.read_text()
            new = re.sub(r'(<Processor [^>]*name="Carvolin".*?<chunk>)([^<]*)(</chunk>)',
                         lambda m: m.group(1) + vst3_with_state(m.group(2), state) + m.group(3), text, count=1, flags=re.S)
            if new == text:
                raise RuntimeError("the session holds no Carvolin chunk")
            self.file.write_text(new)
        else:
            ttl = self._lv2_state_file()
            text = ttl.read_text()
            new = re.sub(r'(StateString> )"[^"]*"', lambda m: m.group(1) + '"' + juce_base64(state) + '"', text, count=1)
            if new == text:
                raise RuntimeError("the session's state.ttl holds no Carvolin state")
            ttl.write_text(new)


# ---------------------------------------------------------------------------
# The Lua steps, each run by ardour7-lua in a process of its own.

LUA_COMMON = """
AudioEngine:set_backend ("None (Dummy)", "", "")
local function pause (seconds) ARDOUR.LuaAPI.usleep (math.floor (seconds * 1000000)) end
local function roll (seconds)
  Session:request_locate (0, false, ARDOUR.LocateTransportDisposition.MustStop, ARDOUR.TransportRequestSource.TRS_UI)
  pause (0.5)
  Session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
  pause (seconds)
  Session:request_stop (false, false, ARDOUR.TransportRequestSource.TRS_UI)
  pause (1.0)
end
local function carvolin_on (route)
  for i = 0, 16 do
    local p = route:nth_plugin (i)
    if p:isnil () then return nil end
    if p:display_name () == "Carvolin" then return p end
  end
end
"""

LUA_CREATE = LUA_COMMON + """
create_session ("{folder}", "{session}", {rate})
local midi = ARDOUR.DataType ("midi")
local function midi_track (name)
  return Session:new_midi_track (ARDOUR.ChanCount (midi, 1), ARDOUR.ChanCount (midi, 1), true, ARDOUR.PluginInfo (), nil, nil, 1,
                                 name, ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false):front ()
end
local sketch = midi_track ("Sketch")
midi_track ("Recorder")
local plugin = ARDOUR.LuaAPI.new_plugin (Session, "{plugin}", ARDOUR.PluginType.{type}, "")
if plugin:isnil () then print ("CHECK-FAIL the plug-in was not found") else
  sketch:add_processor_by_index (plugin, 0, nil, true)
  roll (2.0)
  local insert = plugin:to_insert ()
  print ("CHECK active " .. tostring (insert:active ()))
  local has_stats = insert:get_stats (0, 0, 0, 0)
  print ("CHECK stats " .. tostring (has_stats))
end
plugin = nil
sketch = nil
Session:save_state ("", false, false, false, false, false)
close_session ()
print ("CHECK created")
"""

LUA_PLAY = LUA_COMMON + """
load_session ("{folder}", "{session}")
local sketch = Session:route_by_name ("Sketch"):to_track ()
local recorder = Session:route_by_name ("Recorder"):to_track ()
local plugin = carvolin_on (sketch)
print ("CHECK found " .. tostring (plugin ~= nil))
local from = sketch:output ():midi (0):name ()
local to = recorder:input ():midi (0):name ()
recorder:input ():disconnect_all (nil)
print ("CHECK connected " .. tostring (AudioEngine:connect (from, to) == 0))
sketch:monitoring_control ():set_value (ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
recorder:rec_enable_control ():set_value (1, PBD.GroupControlDisposition.NoGroup)
pause (0.2)
Session:maybe_enable_record (false)
roll ({seconds})
for region in recorder:playlist ():region_list ():iter () do
  print ("REGION", region:position ():str (), region:start ():str ())
  for note in ARDOUR.LuaAPI.note_list (region:to_midiregion ():model ()):iter () do
    print ("NOTE", note:note (), note:channel (), note:time ():str (), note:length ():str (), note:velocity ())
  end
end
plugin = nil
sketch = nil
recorder = nil
Session:save_state ("", false, false, false, false, false)
close_session ()
print ("CHECK saved")
"""

LUA_RECORD = LUA_COMMON + """
load_session ("{folder}", "{session}")
local sketch = Session:route_by_name ("Sketch"):to_track ()
local recorder = Session:route_by_name ("Recorder"):to_track ()
local plugin = carvolin_on (sketch)
print ("CHECK found " .. tostring (plugin ~= nil))
recorder:rec_enable_control ():set_value (0, PBD.GroupControlDisposition.NoGroup)
recorder:monitoring_control ():set_value (ARDOUR.MonitorChoice.MonitorDisk, PBD.GroupControlDisposition.NoGroup)
recorder:input ():disconnect_all (nil)
sketch:input ():disconnect_all (nil)
sketch:output ():disconnect_all (nil)
local from = recorder:output ():midi (0):name ()
local to = sketch:input ():midi (0):name ()
print ("CHECK connected " .. tostring (AudioEngine:connect (from, to) == 0))
sketch:monitoring_control ():set_value (ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
pause (0.2)
roll ({seconds})
plugin = nil
sketch = nil
recorder = nil
Session:save_state ("", false, false, false, false, false)
close_session ()
print ("CHECK saved")
"""

LUA_REOPEN = LUA_COMMON + """
load_session ("{folder}", "{session}")
print ("CHECK found " .. tostring (carvolin_on (Session:route_by_name ("Sketch")) ~= nil))
pause (0.5)
Session:save_state ("", false, false, false, false, false)
close_session ()
print ("CHECK saved")
"""


class Check:
    def __init__(self, plugin_format, bundle, out):
        self.format, self.bundle = plugin_format, Path(bundle).resolve()
        self.out = Path(out).resolve() / plugin_format
        self.failures = []

    def fail(self, message):
        print(f"FAIL: {message}")
        self.failures.append(message)

    def env(self):
        env = dict(os.environ, HOME=str(self.out / "home"), LV2_PATH=str(self.out / "plugins" / "lv2"),
                   VST3_PATH=str(self.out / "plugins" / "vst3"))
        env.pop("DISPLAY", None)
        return env

    def install_bundle(self):
        if self.out.exists():
            shutil.rmtree(self.out)
        (self.out / "home").mkdir(parents=True)
        target = self.out / "plugins" / self.format / self.bundle.name
        shutil.copytree(self.bundle, target, symlinks=True)

        # Older than the scan by more than a second: Ardour's cache keeps whole seconds.
        past = time.time() - 120
        for path in [target, *target.rglob("*")]:
            os.utime(path, (past, past), follow_symlinks=False)

        if self.format == "vst3":
            scan = subprocess.run([VST3_SCANNER, str(target)], env=dict(self.env(), LD_LIBRARY_PATH="/usr/lib/ardour7"),
                                  capture_output=True, text=True, timeout=120)
            (self.out / "scan.log").write_text(scan.stdout + scan.stderr)
            if scan.returncode != 0 or "Found Plugin: Carvolin" not in scan.stdout + scan.stderr:
                self.fail(f"Ardour's VST3 scanner did not find Carvolin (see {self.out / 'scan.log'})")

    def run_lua(self, name, script):
        path = self.out / f"{name}.lua"
        path.write_text(script)
        try:
            run = subprocess.run(["stdbuf", "-oL", ARDOUR_LUA, str(path)], env=self.env(), capture_output=True, text=True, timeout=120)
            output = run.stdout + run.stderr
        except subprocess.TimeoutExpired as e:
            output = (e.stdout or b"").decode(errors="replace") + (e.stderr or b"").decode(errors="replace") + "\nTIMEOUT\n"
        (self.out / f"{name}.log").write_text(output)

        for line in output.splitlines():
            if line.startswith(("[ERROR]", "Error:", "TIMEOUT")) or line.startswith("CHECK-FAIL"):
                self.fail(f"{name}: {line}")
        return output

    def expect(self, output, name, line):
        if line not in output.splitlines():
            self.fail(f"{name}: Ardour did not print '{line}' (see {self.out / (name + '.log')})")

    def recorded_notes(self, output):
        def beats(text):
            whole, ticks = text.split(":")
            return int(whole) + int(ticks) / ARDOUR_TICKS_PER_BEAT

        notes = []
        for line in output.splitlines():
            fields = line.split()
            if fields[:1] == ["NOTE"]:
                notes.append((int(fields[1]), int(fields[2]) + 1, beats(fields[3]), beats(fields[4]), int(fields[5])))
        return sorted(notes)

    def run(self):
        if shutil.which(ARDOUR_LUA) is None:
            print(f"SKIP: {ARDOUR_LUA} is not installed")
            return 77

        self.install_bundle()
        session = Session(self.out / "session", self.format)
        plugin = LV2_URI if self.format == "lv2" else "Carvolin"
        values = dict(folder=session.folder, session=SESSION, rate=RATE, plugin=plugin, type=self.format.upper(), seconds=ROLL_SECONDS)

        created = self.run_lua("create", LUA_CREATE.format(**values))
        for line in ("CHECK active true", "CHECK stats true", "CHECK created"):
            self.expect(created, "create", line)
        if self.failures:
            return 1

        document = state_document()
        session.write_state(document_to_blob(document))

        played = self.run_lua("play", LUA_PLAY.format(**values))
        for line in ("CHECK found true", "CHECK connected true", "CHECK saved"):
            self.expect(played, "play", line)

        # The state the plug-in gave back on saving is the document put in.
        saved = session.read_state()
        text = blob_to_document(saved) if saved is not None else None
        if text is None:
            self.fail("the saved session holds no Carvolin state")
        elif not same_document(ET.fromstring(text), ET.fromstring(document)):
            self.fail(f"the state came back changed:\n  put in: {document}\n  saved:  {text}")

        # The notes recorded are the arrangement's, within a millisecond.
        expected = sorted((pitch, track, start + tick / TICKS_PER_QUARTER, ticks / TICKS_PER_QUARTER)
                          for track, start, _, notes in CLIPS for pitch, tick, ticks, _ in notes)
        recorded = self.recorded_notes(played)
        tolerance = 0.001 * BPM / 60.0  # a millisecond, in quarters
        if len(recorded) != len(expected) or any(
                r[:2] != e[:2] or abs(r[2] - e[2]) > tolerance or abs(r[3] - e[3]) > tolerance for r, e in zip(recorded, expected)):
            self.fail("the notes recorded are not the arrangement's:\n  expected (pitch, channel, start, length in quarters): "
                      f"{expected}\n  recorded: {recorded}")
        else:
            print(f"{self.format}: recorded {len(recorded)} notes, each where the arrangement has it")
        if self.failures:
            return 1

        # Carvolin records the region the Recorder track now plays into it.
        session.write_state(document_to_blob('<CarvolinState recordTrack="2"/>'))
        took = self.run_lua("record", LUA_RECORD.format(**values))
        for line in ("CHECK found true", "CHECK connected true", "CHECK saved"):
            self.expect(took, "record", line)
        reopened = self.run_lua("reopen", LUA_REOPEN.format(**values))
        for line in ("CHECK found true", "CHECK saved"):
            self.expect(reopened, "reopen", line)

        saved = session.read_state()
        text = blob_to_document(saved) if saved is not None else None
        if text is None:
            self.fail("after recording, the saved session holds no Carvolin state")
            return 1
        root = ET.fromstring(text)
        taken = sorted((int(note.get("pitch")), int(note.get("velocity")), int(clip.get("startQ")) * TICKS_PER_QUARTER + int(note.get("startTick")),
                        int(note.get("lengthTicks")))
                       for clip in root.iter("Clip") if clip.get("track") == "2" for note in clip.iter("Note"))
        played = sorted((pitch, velocity, start * TICKS_PER_QUARTER, length * TICKS_PER_QUARTER) for pitch, _, start, length, velocity in recorded)
        if root.get("recordTrack") != "2" or len(taken) != len(played) or any(
                t[:2] != p[:2] or abs(t[2] - p[2]) > 1 or abs(t[3] - p[3]) > 1 for t, p in zip(taken, played)):
            self.fail("Carvolin did not record the region's notes into track 2:\n  the region (pitch, velocity, start, length in ticks): "
                      f"{played}\n  track 2: {taken}\n  state: {text}")
        else:
            print(f"{self.format}: Carvolin recorded the region's {len(taken)} notes into track 2, each within a tick")

        if self.failures:
            return 1
        print(f"PASS: Ardour ran Carvolin ({self.format.upper()}), kept its state through save and reopen, recorded what it played, "
              "and Carvolin recorded what Ardour played into it")
        return 0


def same_document(a, b):
    return a.tag == b.tag and a.attrib == b.attrib and len(a) == len(b) and all(same_document(x, y) for x, y in zip(a, b))


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] not in ("lv2", "vst3"):
        print(__doc__)
        sys.exit(2)
    sys.exit(Check(*sys.argv[1:]).run())
