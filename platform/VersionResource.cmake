# vrx_add_version_resource(<target> [FILE_DESCRIPTION text] [INTERNAL_NAME name]
#                          [ORIGINAL_FILENAME name] [COMMENTS text])
#
# Puts the ten version strings into <target> as a block in the ELF section
# ".vrx_version", laid out like a Windows VERSIONINFO tree (translation
# 0409/04E4). VersionStrings finds the block by reading the program file.
# Values come from the project: version, VRX_COMPANY and VRX_COPYRIGHT.

function(_vrx_version_literal out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

function(vrx_add_version_resource target)
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
  list(GET _parts 0 VRX_VR_V0)
  list(GET _parts 1 VRX_VR_V1)
  list(GET _parts 2 VRX_VR_V2)
  list(GET _parts 3 VRX_VR_V3)
  set(_version "${VRX_VR_V0}.${VRX_VR_V1}.${VRX_VR_V2}.${VRX_VR_V3}")

  set(VRX_VR_TARGET ${target})
  _vrx_version_literal(VRX_VR_CompanyName "${VRX_COMPANY}")
  _vrx_version_literal(VRX_VR_FileDescription "${V_FILE_DESCRIPTION}")
  _vrx_version_literal(VRX_VR_FileVersion "${_version}")
  _vrx_version_literal(VRX_VR_InternalName "${V_INTERNAL_NAME}")
  _vrx_version_literal(VRX_VR_LegalCopyright "${VRX_COPYRIGHT}")
  _vrx_version_literal(VRX_VR_LegalTrademarks "VRX-310 is a trademark of ${VRX_COMPANY}")
  _vrx_version_literal(VRX_VR_OriginalFilename "${V_ORIGINAL_FILENAME}")
  _vrx_version_literal(VRX_VR_ProductName "VRX-310")
  _vrx_version_literal(VRX_VR_ProductVersion "${_version}")
  _vrx_version_literal(VRX_VR_Comments "${V_COMMENTS}")

  set(_out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_resource.cpp)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/version_resource.cpp.in ${_out} @ONLY)
  target_sources(${target} PRIVATE ${_out})
  set_source_files_properties(${_out} PROPERTIES
    INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}
    SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
endfunction()
