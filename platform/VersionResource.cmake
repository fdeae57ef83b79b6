# The program's ten version strings, from one source: the project version,
# VRX_COMPANY, VRX_COPYRIGHT and the product texts below.
#
# vrx_write_version_strings(<file>) writes the header of constants the Linux
# build answers from (platform/version_strings.h.in).
#
# vrx_add_version_resource(<target> [FILE_DESCRIPTION text] [INTERNAL_NAME name]
#                          [ORIGINAL_FILENAME name] [COMMENTS text])
# compiles a VERSIONINFO resource (platform/version.rc.in) into <target> on
# Windows, where GetFileVersionInfo reads it; elsewhere it does nothing.

# Sets <prefix>_V0..V3 and <prefix>_<Key> for the ten strings, each string
# with backslashes doubled and every quote written as <quote> (the two
# files quote differently).
function(_vrx_version_values prefix quote)
  cmake_parse_arguments(V "" "FILE_DESCRIPTION;INTERNAL_NAME;ORIGINAL_FILENAME;COMMENTS" "" ${ARGN})
  if(NOT DEFINED V_FILE_DESCRIPTION)
    set(V_FILE_DESCRIPTION "VRX-310 companion")
  endif()
  if(NOT DEFINED V_INTERNAL_NAME)
    set(V_INTERNAL_NAME "VRX310_Application")
  endif()
  if(NOT DEFINED V_ORIGINAL_FILENAME)
    set(V_ORIGINAL_FILENAME "VRX310_Application")
  endif()
  if(NOT DEFINED V_COMMENTS)
    set(V_COMMENTS "Reads, shows, stores and prints the results of the VRX-310 tester")
  endif()

  # The version always has four parts: 1.0 becomes 1.0.0.0.
  string(REPLACE "." ";" _parts "${PROJECT_VERSION}")
  list(LENGTH _parts _n)
  while(_n LESS 4)
    list(APPEND _parts 0)
    list(LENGTH _parts _n)
  endwhile()
  list(GET _parts 0 _v0)
  list(GET _parts 1 _v1)
  list(GET _parts 2 _v2)
  list(GET _parts 3 _v3)
  set(_version "${_v0}.${_v1}.${_v2}.${_v3}")

  set(${prefix}_V0 ${_v0} PARENT_SCOPE)
  set(${prefix}_V1 ${_v1} PARENT_SCOPE)
  set(${prefix}_V2 ${_v2} PARENT_SCOPE)
  set(${prefix}_V3 ${_v3} PARENT_SCOPE)
  set(_CompanyName "${VRX_COMPANY}")
  set(_FileDescription "${V_FILE_DESCRIPTION}")
  set(_FileVersion "${_version}")
  set(_InternalName "${V_INTERNAL_NAME}")
  set(_LegalCopyright "${VRX_COPYRIGHT}")
  set(_LegalTrademarks "VRX-310 is a trademark of ${VRX_COMPANY}")
  set(_OriginalFilename "${V_ORIGINAL_FILENAME}")
  set(_ProductName "VRX-310")
  set(_ProductVersion "${_version}")
  set(_Comments "${V_COMMENTS}")
  foreach(_k CompanyName FileDescription FileVersion InternalName LegalCopyright
          LegalTrademarks OriginalFilename ProductName ProductVersion Comments)
    string(REPLACE "\\" "\\\\" _s "${_${_k}}")
    string(REPLACE "\"" "${quote}" _s "${_s}")
    set(${prefix}_${_k} "${_s}" PARENT_SCOPE)
  endforeach()
endfunction()

function(vrx_write_version_strings file)
  _vrx_version_values(VRX_VR "\\\"" ${ARGN})
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/version_strings.h.in ${file} @ONLY)
endfunction()

function(vrx_add_version_resource target)
  if(NOT WIN32)
    return()
  endif()
  # Resource strings double their quotes.
  _vrx_version_values(VRX_VR "\"\"" ${ARGN})
  set(VRX_VR_TARGET ${target})
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/version.rc.in ${_out} @ONLY)
  target_sources(${target} PRIVATE ${_out})
endfunction()
