# The preset reader's fuzz target, built from the reader's own source so that it needs neither
# libsndfile nor the plug-in. Run, with a scratch corpus first (libFuzzer adds to the first
# directory) and the committed seeds second:
#   build/fuzz/tests/preset_reader_fuzz -max_total_time=60 CORPUS tests/fuzz/preset_reader_seeds
# The seeds: a program and a bank as ostraquelle-render saves them, and a program and a bank of
# the fuzzer's two-parameter, two-program shape.
add_executable(preset_reader_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/preset_reader_fuzz.cpp
               ${CMAKE_SOURCE_DIR}/presetfile/PresetFile.cpp)
target_include_directories(preset_reader_fuzz PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(preset_reader_fuzz PRIVATE -g -fsanitize=fuzzer,address,undefined
                       -fno-sanitize-recover=all)
target_link_options(preset_reader_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
# A short, fixed-seed run as a regression check of fuzz builds.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/preset-reader-corpus)
add_test(NAME fuzz_preset_reader
         COMMAND preset_reader_fuzz -runs=50000 -seed=1 ${CMAKE_BINARY_DIR}/preset-reader-corpus
                 ${CMAKE_CURRENT_SOURCE_DIR}/preset_reader_seeds)
