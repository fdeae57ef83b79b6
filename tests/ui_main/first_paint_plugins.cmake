# Starts the program until its first paint (VRX310_STARTUP_PROBE) with Qt's
# plug-in log, and fails when a picture-format plug-in was loaded before.
#   cmake -DPROGRAM=... -DHOME=... -P first_paint_plugins.cmake
file(REMOVE_RECURSE "${HOME}")
file(MAKE_DIRECTORY "${HOME}")
set(ENV{HOME} "${HOME}")
set(ENV{VRX310_STARTUP_PROBE} 1)
set(ENV{QT_DEBUG_PLUGINS} 1)
execute_process(COMMAND "${PROGRAM}" WORKING_DIRECTORY "${HOME}" TIMEOUT 50
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
string(FIND "${log}" "startup-probe: shown" shown)
if(shown EQUAL -1)
  message(FATAL_ERROR "no first paint (${rc}):\n${log}")
endif()
string(SUBSTRING "${log}" 0 ${shown} before)
# The platform plug-in is the one that belongs there.
string(FIND "${before}" "platforms/libqoffscreen.so\" loaded library" platform)
if(platform EQUAL -1)
  message(FATAL_ERROR "the log does not show plug-ins being loaded:\n${before}")
endif()
string(REGEX MATCHALL "imageformats/[^\"]+\" loaded library" pictures "${before}")
if(pictures)
  message(FATAL_ERROR "picture-format plug-ins loaded before the first paint: ${pictures}")
endif()
