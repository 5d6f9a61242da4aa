-- ardour7-lua script: puts Ostraquelle first on the session's track and drives it as a user
-- would, then saves. Actions run in order: "p=N" loads the plug-in's program N (Ardour lists
-- programs as presets "VST:<id>:<NNNN>"), "INDEX=VALUE" sets a parameter (normalised 0..1).
-- usage: ardour7-lua ardour-insert-plugin.lua SESSION_DIR NAME [ACTION ...]
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
local proc = ARDOUR.LuaAPI.new_plugin(session, "Ostraquelle", ARDOUR.PluginType.LXVST, "")
assert(not proc:isnil(), "Ardour does not know the plug-in Ostraquelle (LXVST)")
assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "cannot insert the plug-in")
local plugin = proc:to_insert():plugin(0)
for i = 3, #arg do
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
