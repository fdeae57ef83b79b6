# vrx310-VERSION.msi in the build folder (target windows_msi), built with
# wixl from packaging/windows/vrx310.wxs: the program, its German module,
# AtUsbHid.dll for real testers (never the simulator) and the two tools,
# stripped of debugging information and symbols.
find_program(VRX_WIXL wixl)
if(NOT VRX_WIXL)
  message(STATUS "wixl not found (Debian package wixl): no MSI")
  return()
endif()
set(_stage ${CMAKE_CURRENT_BINARY_DIR}/msi)
set(_msi ${CMAKE_BINARY_DIR}/vrx310-${PROJECT_VERSION}.msi)
set(_wxs ${CMAKE_CURRENT_SOURCE_DIR}/windows/vrx310.wxs)
set(_staged ${_stage}/VRX310_Application.exe ${_stage}/AtUsbHid.dll ${_stage}/vrx310-cli.exe
            ${_stage}/fbtool.exe)
add_custom_command(OUTPUT ${_msi}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:VRX310_Application> $<TARGET_FILE:atusbhid_real>
          $<TARGET_FILE:vrx310-cli> $<TARGET_FILE:fbtool> ${_stage}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/bin/VRX310_Application.DEU ${_stage}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/app/vrx310.ico ${_stage}
  COMMAND ${CMAKE_STRIP} --strip-all ${_staged}
  # wixl takes the files' names relative to the folder it runs in.
  COMMAND ${CMAKE_COMMAND} -E chdir ${_stage}
          ${VRX_WIXL} -D Version=${PROJECT_VERSION} -D "Manufacturer=${VRX_COMPANY}"
          -D ProgramIcon=vrx310.ico -D Program=VRX310_Application.exe
          -D GermanModule=VRX310_Application.DEU -D TesterLibrary=AtUsbHid.dll
          -D Cli=vrx310-cli.exe -D FbTool=fbtool.exe -o ${_msi} ${_wxs}
  DEPENDS VRX310_Application atusbhid_real vrx310-cli fbtool vrx_language_de ${_wxs}
  VERBATIM)
add_custom_target(windows_msi DEPENDS ${_msi})
