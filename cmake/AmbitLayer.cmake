# A layer's headers are included by their path below src/ ("ui/x.h"). So
# that a layer finds only its own headers and those of the layers it links,
# each layer gets an include directory of its own in the build tree holding
# links to its headers alone, and exports that, never src/ itself. A layer
# outside src/ (test support) sets its include directory itself.
function(ambit_layer_include_dir name out)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  if(rel MATCHES "^\\.\\.")
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  # Rebuilt at every configure, so a removed header leaves no link behind.
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${rel})
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(h IN LISTS headers)
    get_filename_component(file ${h} NAME)
    file(CREATE_LINK ${h} ${root}/${rel}/${file} SYMBOLIC)
  endforeach()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# One static library per directory: every .cpp/.h/.qrc in it belongs to the
# target, so adding a file needs no edit here. DEPS are the layer's
# dependency arrows; QT turns on moc/rcc for layers that use Qt.
function(ambit_layer name)
  cmake_parse_arguments(A "QT" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER srcs INCLUDE REGEX "\\.cpp$|\\.h$|\\.qrc$")
  ambit_layer_include_dir(${name} include_dir)
  set(has_cpp FALSE)
  foreach(s IN LISTS srcs)
    if(s MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(NOT has_cpp)
    add_library(${name} INTERFACE)
    if(include_dir)
      target_include_directories(${name} INTERFACE ${include_dir})
    endif()
    target_link_libraries(${name} INTERFACE ${A_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  if(include_dir)
    target_include_directories(${name} PUBLIC ${include_dir})
  endif()
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON AUTOUIC OFF)
  endif()
endfunction()

# One test executable per test directory, each test case a ctest test. GUI
# tests run offscreen; test servers run on the Python that has pyftpdlib.
function(ambit_tests name)
  cmake_parse_arguments(A "QT" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    AMBIT_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    AMBIT_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    AMBIT_TEST_SERVERS_DIR="${CMAKE_SOURCE_DIR}/tests/servers"
    AMBIT_PYTHON="${AMBIT_PYTHON}"
    AMBIT_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES
      TIMEOUT 60
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
