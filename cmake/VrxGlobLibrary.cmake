# vrx_glob_library(NAME DIR LIBS ... [EXCLUDE files...])
# A static library of every .cpp/.qrc/.ui in DIR; skipped while DIR holds no source.
function(vrx_glob_library name)
  cmake_parse_arguments(G "" "" "LIBS;EXCLUDE" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  foreach(_x IN LISTS G_EXCLUDE)
    list(REMOVE_ITEM _src ${CMAKE_CURRENT_SOURCE_DIR}/${_x})
  endforeach()
  set(_cpp ${_src})
  list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
  if(NOT _cpp)
    return()
  endif()
  add_library(${name} STATIC ${_src})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${G_LIBS} PRIVATE vrx_warnings)
endfunction()
