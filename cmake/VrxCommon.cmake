# Shared build settings and the test helpers.

add_library(vrx_warnings INTERFACE)
target_compile_options(vrx_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(VRX_WERROR)
  target_compile_options(vrx_warnings INTERFACE -Werror)
endif()

if(VRX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Every test has a time limit, so a dialog nobody answers fails one test
# instead of hanging the run.
set(VRX_TEST_TIMEOUT 60)

# vrx_add_gtest(NAME SOURCES ... LIBS ... [TIMEOUT s])
function(vrx_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main vrx_warnings)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT ${VRX_TEST_TIMEOUT})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# vrx_add_qtest(NAME SOURCES ... LIBS ... [TIMEOUT s]) — QtTest on the offscreen platform.
function(vrx_add_qtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets vrx_warnings)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT ${VRX_TEST_TIMEOUT})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  # One 1920 x 1080 screen: the plugin's own 800 x 600 is smaller than the
  # main window, which would then scroll.
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/common/offscreen_screen.json;${T_ENVIRONMENT}")
endfunction()

# Adds every sub-folder of the current folder that has a CMakeLists.txt, in
# name order (tests, fuzz, bench, tools gain folders without editing CMake).
function(vrx_add_all_subdirectories)
  cmake_parse_arguments(A "" "EXCLUDE_REGEX" "" ${ARGN})
  file(GLOB _subdirs LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _subdirs)
  if(A_EXCLUDE_REGEX)
    list(FILTER _subdirs EXCLUDE REGEX "${A_EXCLUDE_REGEX}")
  endif()
  foreach(_d IN LISTS _subdirs)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_d}/CMakeLists.txt)
      add_subdirectory(${_d})
    endif()
  endforeach()
endfunction()

# The program's private folder under the prefix: the HID library and the
# German module. Not the public lib folder: the library has no version and is
# loaded only by this package's programs.
set(VRX_PRIVATE_LIBDIR lib/vrx310)

# vrx_install_runpath(TARGET) — a program that loads the HID library by its
# bare name finds it in the private folder of an installed (or moved) tree;
# LD_LIBRARY_PATH, and with it the simulator, still comes first (DT_RUNPATH,
# not DT_RPATH). The build tree gets the same $ORIGIN path (a folder the build
# never fills): CMake's in-place rewrite at install would otherwise pad the
# build tree's path with empty entries, and the loader reads an empty entry as
# the current folder, where anybody may have put a libAtUsbHid.so or libz.so.1.
function(vrx_install_runpath target)
  if(WIN32)
    return() # Windows looks beside the program first
  endif()
  set_target_properties(${target} PROPERTIES
    INSTALL_RPATH "$ORIGIN/../${VRX_PRIVATE_LIBDIR}"
    BUILD_WITH_INSTALL_RPATH ON)
  target_link_options(${target} PRIVATE "LINKER:--enable-new-dtags")
endfunction()

# A test that cannot mean anything on this platform is kept in the list as
# skipped, with the reason in its output.
function(vrx_skip_test name reason)
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "SKIPPED on ${CMAKE_SYSTEM_NAME}: ${reason}")
  set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED on ")
endfunction()

# Paths compiled into test programs: under Wine the build machine's "/" is
# drive Z:.
set(VRX_TEST_PATH_PREFIX "")
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(VRX_TEST_PATH_PREFIX "Z:")
endif()
