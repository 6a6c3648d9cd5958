# The program lives in a bundle laid out as on macOS, so the resource-path
# rule (executable folder minus "MacOS" plus "Resources") holds everywhere:
#   <build>/Lumivane.app/Contents/MacOS/Lumivane
#   <build>/Lumivane.app/Contents/Resources/   (all data, writable)
#   <build>/Lumivane.app/Contents/Frameworks/  (our shared libraries)
set(LV_BUNDLE_DIR     ${CMAKE_BINARY_DIR}/Lumivane.app)
set(LV_MACOS_DIR      ${LV_BUNDLE_DIR}/Contents/MacOS)
set(LV_RESOURCES_DIR  ${LV_BUNDLE_DIR}/Contents/Resources)
set(LV_FRAMEWORKS_DIR ${LV_BUNDLE_DIR}/Contents/Frameworks)
# The shipped Resources are assembled here first: the program writes into
# its bundle's Resources as it runs, and tests must start from what ships.
set(LV_RESOURCES_STAGE ${CMAKE_BINARY_DIR}/resources-stage)
file(MAKE_DIRECTORY ${LV_MACOS_DIR} ${LV_RESOURCES_DIR} ${LV_FRAMEWORKS_DIR} ${LV_RESOURCES_STAGE})

# A shared library of ours, placed in Frameworks.
function(lv_framework target)
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${LV_FRAMEWORKS_DIR}
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# An executable that runs from a bundle's MacOS folder and finds the
# Frameworks beside it.
function(lv_bundle_executable target bundle_dir)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${bundle_dir}/Contents/MacOS
    BUILD_RPATH "$ORIGIN/../Frameworks;${LV_FRAMEWORKS_DIR}")
  # The engine is a shared library named before the static libraries that
  # call it; keep it even though nothing before it needs it.
  target_link_options(${target} PRIVATE "LINKER:--no-as-needed")
endfunction()

# lv_add_test(name SOURCES a.cpp ... LIBS x y [XVFB] [APPLESS] [FIGURES] [SERIAL]
#             [TIMEOUT s] [LABELS l ...])
# Each test gets a bundle of its own with a fresh copy of the shipped
# Resources at every build, so
# every resource path it computes is right and tests never share data files.
#   default: widget tests on the offscreen platform
#   XVFB:    needs a real X server (OpenGL, whole program); the test command
#            runs ctest under xvfb-run
#   FIGURES: it reports figures (tests/Figures.h) that the benchmark
#            collects; label "figures"
#   SERIAL:  it compares two speeds measured in the same run, so it runs
#            alone (RUN_SERIAL), label "serial"
#   TIMEOUT: the bound that catches a hang, ten times the test's quiet
#            time or more (default 300 s)
function(lv_add_test name)
  cmake_parse_arguments(T "XVFB;APPLESS;FIGURES;SERIAL" "TIMEOUT" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  set(bundle ${CMAKE_BINARY_DIR}/tests/${name}.app)
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
  lv_bundle_executable(${name} ${bundle})
  add_custom_target(${name}_resources
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${bundle}/Contents/Resources
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${LV_RESOURCES_STAGE} ${bundle}/Contents/Resources
    COMMAND ${CMAKE_COMMAND} -E create_symlink ${LV_FRAMEWORKS_DIR} ${bundle}/Contents/Frameworks
    VERBATIM)
  add_dependencies(${name}_resources lv_resources)
  add_dependencies(${name} ${name}_resources)
  # User settings ("last_path") and user data files (history, format
  # choice, profile values) go to folders of the test's own, never the
  # developer's, never another test's running at the same time, and empty
  # at every start.
  set(config ${CMAKE_BINARY_DIR}/tests/${name}.config)
  set(data ${CMAKE_BINARY_DIR}/tests/${name}.data)
  # The test fails when it changed its bundle's Resources.
  add_test(NAME ${name}
    COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/run-test.sh ${config} ${data} $<TARGET_FILE:${name}>
      ${bundle}/Contents/Resources)
  set(env "ORVALTA_AUDIO=null" "LV_TEST_BUNDLE=${bundle}" "LV_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
      "XDG_CONFIG_HOME=${config}" "XDG_DATA_HOME=${data}" ${T_ENV})
  if(NOT T_XVFB)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # The test's time bound is its hang bound, three times what it names (a
  # loaded machine runs the suite several times slower): QtTest's own
  # per-function limit (five minutes unless told) follows it, so a slow
  # function on a busy machine is not taken for a hung one.
  math(EXPR T_TIMEOUT "${T_TIMEOUT} * 3")
  math(EXPR function_timeout_ms "${T_TIMEOUT} * 1000")
  list(APPEND env "QTEST_FUNCTION_TIMEOUT=${function_timeout_ms}")
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT})
  set(labels ${T_LABELS})
  if(T_FIGURES)
    list(APPEND labels figures)
  endif()
  if(T_SERIAL)
    list(APPEND labels serial)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL ON)
  endif()
  if(labels)
    set_tests_properties(${name} PROPERTIES LABELS "${labels}")
  endif()
endfunction()
