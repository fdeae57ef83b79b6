# vrx310-windows-tools-VERSION.zip in the build folder (target windows_zip):
# fbtool.exe, vrx310-cli.exe, the simulator AtUsbHid.dll in sim/ (so it is
# taken only on purpose, never in place of the real tester's library) and a
# short read-me.
set(_stage ${CMAKE_CURRENT_BINARY_DIR}/zip/vrx310-windows-tools)
# The read-me with CR LF line ends, for Notepad of any age.
set(_readme ${CMAKE_CURRENT_BINARY_DIR}/windows-tools-README.txt)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows-tools.txt ${_readme} @ONLY NEWLINE_STYLE CRLF)
set(_zip ${CMAKE_BINARY_DIR}/vrx310-windows-tools-${PROJECT_VERSION}.zip)
add_custom_command(OUTPUT ${_zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_stage}/sim
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:fbtool> $<TARGET_FILE:vrx310-cli> ${_stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:atusbhid_sim> ${_stage}/sim
  COMMAND ${CMAKE_COMMAND} -E copy ${_readme} ${_stage}/README.txt
  # The build keeps its debugging information; the zip has no use for it.
  COMMAND ${CMAKE_STRIP} --strip-debug ${_stage}/fbtool.exe ${_stage}/vrx310-cli.exe
          ${_stage}/sim/AtUsbHid.dll
  COMMAND ${CMAKE_COMMAND} -E rm -f ${_zip}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_CURRENT_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${_zip} --format=zip vrx310-windows-tools
  DEPENDS fbtool vrx310-cli atusbhid_sim ${_readme}
  VERBATIM)
add_custom_target(windows_zip DEPENDS ${_zip})
