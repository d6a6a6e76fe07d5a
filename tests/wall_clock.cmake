# Read by ctest after the test programs' discovered cases: the tests that measure against
# the wall clock (audio devices that play in real time, the real show answering Escape)
# hold the lock "wall_clock", so no two of them run at once and their deadlines stay far
# from what a busy machine needs. The end-to-end tests also run alone (RUN_SERIAL).
set_tests_properties(
  MusicDevice.RestartAndStop MusicDevice.BadFilesRunSilent MusicDevice.NoDevice
  MusicDevice.DiskDriverPlaysTheStream Platform.TickAndSleep
  e2e.no_display e2e.runs_full_length e2e.window_answered_no e2e.window_answered_yes
  PROPERTIES RESOURCE_LOCK wall_clock)
