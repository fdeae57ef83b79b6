# For a cross build (Windows with MinGW-w64): GoogleTest built from Debian's
# googletest source package, and nlohmann/json as a header-only target.
# /usr/include itself is never put on the target's include path.
set(VRX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for a cross build")
if(NOT EXISTS ${VRX_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${VRX_GTEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${VRX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# GoogleTest's own build names its targets GTest::gtest and friends already.

find_path(VRX_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT VRX_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found (Debian package nlohmann-json3-dev)")
endif()
set(_json ${CMAKE_BINARY_DIR}/cross-include)
file(COPY ${VRX_JSON_INCLUDE}/nlohmann DESTINATION ${_json})
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${_json})
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
