-- ardour7-lua script: loads the saved session as the exporter will and reports whether
-- Ostraquelle is on the track and active, with the parameter values it holds. Fails (and
-- prints why) when it is missing or inactive: Ardour exports the dry signal then.
-- usage: ardour7-lua ardour-check-plugin.lua SESSION_DIR NAME
local dir, name = arg[1], arg[2]
AudioEngine:set_backend("None (Dummy)", "", "")
local session = load_session(dir, name)
assert(session, "cannot load session " .. dir)
local track
for t in session:get_tracks():iter() do track = t end
local found = 0
local i = 0
while true do
  local proc = track:nth_plugin(i)
  if proc:isnil() then break end
  local insert = proc:to_insert()
  local label = insert:isnil() and proc:name() or insert:plugin(0):name()
  -- "Ostraquelle", or an LV2 plug-in of the bundle ("Ostraquelle Stereo").
  if label:match("^Ostraquelle") then
    found = found + 1
    assert(proc:active(), "Ostraquelle is on the track but not active")
    local values = {}
    for k = 0, 20 do
      local value = ARDOUR.LuaAPI.get_processor_param(proc, k)
      values[#values + 1] = string.format("%d=%.9g", k, value)
    end
    print("Ostraquelle active, parameters " .. table.concat(values, " "))
  else
    print("other processor on the track: " .. label)
  end
  i = i + 1
end
assert(found == 1, "expected Ostraquelle once on the track, found it " .. found .. " times")
close_session()
