# Renders the fixed material and leaves the raw outputs in the build directory, where the
# exactness script of the Linux build compares them with those of the Windows builds.
add_test(NAME host_render_exactness
         COMMAND host_render_exactness $<TARGET_FILE:Ostraquelle>
                 ${CMAKE_BINARY_DIR}/exactness.raw)
