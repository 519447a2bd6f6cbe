-- Run by Ardour's Lua session tool: records a few seconds of the dummy backend's noise on a
-- stereo track, inserts Vorlen as LV2 at Ratio 0, and exports the session's output with
-- latency compensation, as a user exports a mix. The folder comes from VORLEN_WORK.
local work = assert(os.getenv("VORLEN_WORK"), "VORLEN_WORK is not set")
local uri = "https://plomb.dev/plugins/vorlen"

local function fail(message)
  print("FAILED: " .. message)
  os.exit(1)
end

assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
AudioEngine:stop(false)
AudioEngine:set_device_name("Uniform White Noise")
AudioEngine:set_sample_rate(48000)
AudioEngine:set_buffer_size(1000)
AudioEngine:start(false)

local s = create_session(work .. "/session", "vorlen", 48000)
if not s then fail("no session") end
local tracks = s:new_audio_track(2, 2, nil, 1, "input", ARDOUR.PresentationInfo.max_order,
                                 ARDOUR.TrackMode.Normal, true)
local track = tracks:front()

-- Record from the backend's inputs.
track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
s:maybe_enable_record(false)
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(3000000)
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
-- The take becomes a region once the transport has stopped and the butler has written it.
for _ = 1, 100 do
  if not s:transport_rolling() then break end
  ARDOUR.LuaAPI.usleep(100000)
end
track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
s:disable_record(false, false)
-- From here on the track plays its take and nothing else: no live input may reach the export.
track:input():disconnect_all(nil)
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorDisk,
                                     PBD.GroupControlDisposition.NoGroup)
for _ = 1, 100 do
  if s:record_status() == ARDOUR.Session.RecordState.Disabled
     and track:rec_enable_control():get_value() == 0 then
    break
  end
  ARDOUR.LuaAPI.usleep(100000)
end
ARDOUR.LuaAPI.usleep(1000000)
print("record state: " .. tostring(s:record_status()) .. ", armed " ..
      track:rec_enable_control():get_value())

local region = nil
for r in track:playlist():region_list():iter() do region = r end
if not region then fail("nothing was recorded") end
local first = region:position():samples()
local length = region:length():samples()
print(string.format("recorded region: %d samples from %d", length, first))

-- The plug-in, by its URI, as the first processor of the track.
local plugin = ARDOUR.LuaAPI.new_plugin(s, uri, ARDOUR.PluginType.LV2, "")
if plugin:isnil() then fail("Ardour cannot make " .. uri) end
if not track:add_processor_by_index(plugin, 0, nil, true) then fail("cannot insert the plug-in") end
ARDOUR.LuaAPI.set_processor_param(plugin, 0, 0.0)
local insert = plugin:to_insert()
print("plug-in: " .. insert:plugin(0):name() .. " by " .. insert:plugin(0):maker() ..
      ", latency " .. plugin:signal_latency() .. " samples, ratio " ..
      ARDOUR.LuaAPI.get_processor_param(plugin, 0))
print("track latency: " .. track:signal_latency())

-- Export the recorded span through the plug-in, as 32-bit float WAV.
local export = s:simple_export()
export:set_folder(work)
export:set_range(first, first + length)
if not export:set_preset(os.getenv("VORLEN_EXPORT_PRESET")) then fail("no export preset") end
if not export:check_outputs() then fail("nothing to export") end
if not export:run_export() then fail("the export failed") end

print("exported")
-- Leave without closing the session: in Ardour 7.3 tearing a session down after exporting
-- through a plug-in that reports latency crashes the tool now and then, inside Ardour, after
-- the export is complete. The file is all this check needs.
os.exit(0, false)
