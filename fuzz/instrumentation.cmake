# Included by the top CMakeLists.txt before any library is added when
# MASUVO_FUZZ is on: every library of the build gets libFuzzer's coverage
# instrumentation and the address and undefined-behaviour sanitizers, so a
# fault deep in a reader stops the run where it happens.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "MASUVO_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++ "
                      "or run scripts/fuzz.sh.")
endif()
set(MASUVO_SANITIZERS address,undefined)
add_compile_options(-fsanitize=fuzzer-no-link,${MASUVO_SANITIZERS} -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=${MASUVO_SANITIZERS})
