# Every source folder is one library target made of the .cpp files below it,
# so adding a file never needs a CMake edit.
function(zandrel_add_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;DEPS" ${ARGN})
  set(sources)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
    list(FILTER found EXCLUDE REGEX "/main\\.cpp$")
    list(APPEND sources ${found})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One GoogleTest program per test folder, labelled with the folder's name.
function(zandrel_add_tests folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${folder} ${sources})
  target_include_directories(test_${folder} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(test_${folder} PRIVATE ${ARG_DEPS} zandrel_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(test_${folder}
    PROPERTIES LABELS ${folder}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60)
endfunction()
