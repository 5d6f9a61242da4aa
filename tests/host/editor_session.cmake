# The editor in a window of the host's own under wine (Xvfb): checks that need no mouse. The
# native build has no window system to show it in and reports the test as skipped.
add_test(NAME host_editor_session COMMAND host_editor_session $<TARGET_FILE:Ostraquelle>)
set_tests_properties(host_editor_session PROPERTIES SKIP_RETURN_CODE 77)
