# The preset reader's fuzz target, built from the reader's own source so that it needs neither
# libsndfile nor the plug-in. Run: build/fuzz/tests/preset_reader_fuzz -max_total_time=60 CORPUS
add_executable(preset_reader_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/preset_reader_fuzz.cpp
               ${CMAKE_SOURCE_DIR}/tools/render/PresetFile.cpp)
target_include_directories(preset_reader_fuzz PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(preset_reader_fuzz PRIVATE -g -fsanitize=fuzzer,address,undefined
                       -fno-sanitize-recover=all)
target_link_options(preset_reader_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
# A short, fixed-seed run as a regression check of fuzz builds.
add_test(NAME fuzz_preset_reader COMMAND preset_reader_fuzz -runs=50000 -seed=1)
