# Helpers shared by every deliverable.

# The environment of every test: no display, and Qt's settings (the file
# dialogs' last folder, ...) kept in the build tree, never in the user's home.
set(TRELVO_TEST_ENV
  "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/config;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/test-home/runtime;TRELVO_SOURCE_DIR=${PROJECT_SOURCE_DIR};TRELVO_BUILD_DIR=${CMAKE_BINARY_DIR}")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/test-home/config ${CMAKE_BINARY_DIR}/test-home/runtime)
file(CHMOD ${CMAKE_BINARY_DIR}/test-home/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# trelvo_library(<name> SOURCES ... ) -> shared library libtrelvo_<name>.so in the package folder.
function(trelvo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    OUTPUT_NAME trelvo_${name}
    LIBRARY_OUTPUT_DIRECTORY ${TRELVO_PKG_DIR}
    BUILD_RPATH "$ORIGIN")
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_BUILDING=1)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
  target_compile_options(${name} PRIVATE -Wall -Wextra)
endfunction()

# trelvo_python_module(<name> SOURCES ... LINK ...) -> trelvo/<name>.cpython-*.so
function(trelvo_python_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  if(NOT TRELVO_PYTHON)
    return()
  endif()
  pybind11_add_module(py_${name} MODULE ${ARG_SOURCES})
  target_link_libraries(py_${name} PRIVATE ${ARG_LINK})
  set_target_properties(py_${name} PROPERTIES
    OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${TRELVO_PKG_DIR}
    BUILD_RPATH "$ORIGIN")
endfunction()

# trelvo_executable(<name> SOURCES ... LINK ...) -> build/bin/<name>, finding the libraries in the package folder.
function(trelvo_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINK})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${TRELVO_BIN_DIR}
    BUILD_RPATH "$ORIGIN/../python/trelvo")
endfunction()

# trelvo_gtest(<name> SOURCES ... LINK ...) -> a GoogleTest executable registered with ctest.
function(trelvo_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest GTest::gtest_main GTest::gmock)
  trelvo_register_test(${name})
endfunction()

# trelvo_qtest(<name> SOURCES ... LINK ...) -> a Qt Test executable registered
# with ctest: its test classes register themselves (tests/common/testregistry.h)
# and the shared main() runs them all.
function(trelvo_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/common/qtest_main.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_LINK} Qt6::Widgets Qt6::Test)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  trelvo_register_test(${name})
endfunction()

# trelvo_bench(<name> SOURCES ... LINK ...) -> <build>/bench/<name>, run by bench/run.sh.
function(trelvo_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINK})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
    BUILD_RPATH "${TRELVO_PKG_DIR}")
endfunction()

# The output folder, library path, environment and label of every C++ test
# executable; tests/ is on its include path (tests/common/...).
function(trelvo_register_test name)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    BUILD_RPATH "${TRELVO_PKG_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${TRELVO_TEST_ENV}"
    LABELS cpp TIMEOUT 300)
endfunction()

# trelvo_pytest(<name> <file>) -> pytest over one test file, with the built package on the path.
function(trelvo_pytest name file)
  if(NOT TRELVO_PYTHON)
    return()
  endif()
  add_test(NAME ${name}
    COMMAND ${TRELVO_PYTHON_EXE} -m pytest -q -p no:cacheprovider ${file})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "PYTHONPATH=${CMAKE_BINARY_DIR}/python;${TRELVO_TEST_ENV}"
    LABELS python TIMEOUT 600)
endfunction()
