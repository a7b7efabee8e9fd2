# vx_layer(NAME DIR DEPS...): a static library made of every .cpp below DIR.
# Sources are globbed so that new files join the build without editing lists.
function(vx_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources})
  # Installed, the headers keep their layer folders under include/dizeridiv.
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                            $<INSTALL_INTERFACE:include/dizeridiv>)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# vx_test(NAME DIR DEPS...): one GoogleTest executable of every .cpp in DIR.
function(vx_test name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE vx_test_support ${ARGN})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VX_SOURCE_DIR=${PROJECT_SOURCE_DIR};VX_ARTIFACTS_DIR=${CMAKE_BINARY_DIR}/artifacts"
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST)
endfunction()
