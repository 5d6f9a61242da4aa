# The editor in an X11 window of a Linux host. The steps with the real mouse and the screenshot
# run in tests/scripts/editor_x11.sh under Xvfb; registered here is the check that needs no X
# server: effEditOpen then answers 0 and nothing crashes.
if(NOT WIN32)
  find_package(X11 REQUIRED)
  target_link_libraries(host_${name} PRIVATE X11::X11)
  add_test(NAME host_editor_x11_no_display
           COMMAND host_editor_x11 $<TARGET_FILE:Ostraquelle> --no-display)
endif()
