-- ardour7-lua script: creates an empty session with one stereo track ("vocoder") on the
-- Dummy backend. usage: ardour7-lua ardour-create-session.lua SESSION_DIR NAME RATE
local dir, name, rate = arg[1], arg[2], tonumber(arg[3])
AudioEngine:set_backend("None (Dummy)", "", "")
local session = create_session(dir, name, rate)
assert(session, "cannot create session " .. dir)
local tracks = session:new_audio_track(2, 2, nil, 1, "vocoder",
                                       ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, true)
assert(tracks:size() == 1, "cannot add the track")
-- Wired by hand: Ardour's automatic connections depend on the user's configuration. The track
-- plays the file only (no live input) into the master bus, which the exporter writes.
local track = tracks:front()
track:input():disconnect_all(nil)
track:output():disconnect_all(nil)
local master = session:master_out():input()
for c = 0, 1 do
  assert(track:output():audio(c):connect(master:audio(c):name()) == 0,
         "cannot connect the track to the master bus")
end
session:save_state("", false, false, false, false, false)
close_session()
