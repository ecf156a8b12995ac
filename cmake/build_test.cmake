# dashcam_build_test(<test> TARGET <target> FIXTURE <fixture>)
# A test that builds <target>, a separate build of the sources that a plain build leaves out
# (EXCLUDE_FROM_ALL), as the setup of <fixture>: the tests requiring the fixture get a fresh
# build of what they run, and an edit does not compile once more per such build on every
# `cmake --build`.
function(dashcam_build_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TARGET;FIXTURE" "")
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --config $<CONFIG>
            --target ${arg_TARGET})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_SETUP ${arg_FIXTURE}
    # A cold build on two cores takes longer than the 600 s ./test gives a test.
    TIMEOUT 3000
    # Two builds in this build tree at once (ctest -j) would trip over each other.
    RESOURCE_LOCK dashcam_build_tree)
endfunction()
