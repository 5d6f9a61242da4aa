# Renders the fixed material and leaves the raw outputs in the build directory, where the
# exactness script of the Linux build compares them with those of the Windows builds.
add_test(NAME host_render_exactness
         COMMAND host_render_exactness $<TARGET_FILE:Ostraquelle>
                 ${CMAKE_BINARY_DIR}/exactness.raw)
# The native build's comparison (script_exactness) needs this build's file: a fixture, so that
# `ctest -R exactness` and parallel runs keep the order.
set_tests_properties(host_render_exactness PROPERTIES FIXTURES_SETUP exactness_render)
