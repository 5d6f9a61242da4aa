-- ardour7-lua script: puts Ostraquelle first on the session's track and drives it as a user
-- would, then saves. Actions run in order: "p=N" loads the plug-in's program N (Ardour lists
-- programs as presets "VST:<id>:<NNNN>"), "INDEX=VALUE" sets a parameter (normalised 0..1).
-- A first action "lv2=URI" inserts that LV2 plug-in instead of the Linux VST: its side-chain
-- input (the modulator) then takes the track's second channel, and "N=VALUE" sets its N-th
-- control port (from 0) to VALUE in the port's own units.
-- usage: ardour7-lua ardour-insert-plugin.lua SESSION_DIR NAME [lv2=URI] [ACTION ...]
local dir, name = arg[1], arg[2]
AudioEngine:set_backend("None (Dummy)", "", "")
local session = load_session(dir, name)
assert(session, "cannot load session " .. dir)
local track
for t in session:get_tracks():iter() do track = t end
assert(track, "the session has no track")
-- Strict I/O keeps the track stereo: outputs 1 and 2 (the mix pair) reach the master bus,
-- the other six outputs are dropped instead of being panned into it.
track:set_strict_io(true)
local first = 3
local lv2 = arg[3] and arg[3]:match("^lv2=(.+)$")
local proc
if lv2 then
  first = 4
  proc = ARDOUR.LuaAPI.new_plugin(session, lv2, ARDOUR.PluginType.LV2, "")
  assert(not proc:isnil(), "Ardour does not know the plug-in " .. lv2 .. " (LV2)")
else
  proc = ARDOUR.LuaAPI.new_plugin(session, "Ostraquelle", ARDOUR.PluginType.LXVST, "")
  assert(not proc:isnil(), "Ardour does not know the plug-in Ostraquelle (LXVST)")
end
assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "cannot insert the plug-in")
if lv2 then
  -- Ardour leaves a side-chain input unconnected: wire it to the track's second channel.
  local insert = proc:to_insert()
  local map = insert:input_map(0)
  map:set(ARDOUR.DataType("audio"), 1, 1)
  insert:set_input_map(0, map)
end
local plugin = proc:to_insert():plugin(0)
for i = first, #arg do
  local program = arg[i]:match("^p=(%d+)$")
  local index, value = arg[i]:match("^(%d+)=([%d.eE+-]+)$")
  if program then
    local uri = string.format("VST:%s:%04d", plugin:unique_id(), tonumber(program))
    local preset = plugin:preset_by_uri(uri)
    assert(preset, "no preset " .. uri)
    assert(plugin:load_preset(preset), "cannot load preset " .. uri)
  elseif index then
    assert(ARDOUR.LuaAPI.set_processor_param(proc, tonumber(index), tonumber(value)),
           "cannot set parameter " .. arg[i])
  else
    error("bad action " .. arg[i])
  end
end
session:save_state("", false, false, false, false, false)
close_session()
