# tw_add_test(name [PORTABLE] [DESKTOP] SOURCES ... [LIBS ...] [TIMEOUT s])
#   A googletest executable. The Windows target builds every test and CTest
#   starts it under Wine through scripts/wine-run; the native build only builds
#   the PORTABLE ones (code without Windows headers) and runs them directly.
#   DESKTOP tests show windows, take the focus or move the pointer on the one
#   shared display: CTest runs them one at a time, beside the other tests.
# tw_add_fuzzer(name SOURCES ... [LIBS ...] CORPUS dir [SEEDS dir])
#   A libFuzzer target, built only in the TW_FUZZ configuration; the *.jpg of
#   SEEDS (outside the repository) join the committed corpus when it runs.
set(TW_WINE_RUN "${PROJECT_SOURCE_DIR}/scripts/wine-run")
set(TW_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")

function(tw_add_test name)
  cmake_parse_arguments(T "PORTABLE;DESKTOP" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(TW_FUZZ)
    return()
  endif()
  if(NOT TW_TARGET AND NOT T_PORTABLE)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(TW_TARGET)
    add_test(NAME ${name} COMMAND ${TW_WINE_RUN} ${TW_WINEPREFIX} $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_DESKTOP)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

function(tw_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS;SEEDS" "SOURCES;LIBS" ${ARGN})
  if(NOT TW_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  file(APPEND ${CMAKE_BINARY_DIR}/fuzzers.txt "${CMAKE_CURRENT_BINARY_DIR}/${name} ${F_CORPUS} ${F_SEEDS}\n")
endfunction()
