# Registers a GoogleTest executable's cases with ctest, in the Linux and the Windows build alike:
#   zelto_gtest_suite(TARGET [SANITIZE] [LABEL label] [TIMEOUT seconds] [gtest_discover_tests arguments])
# SANITIZE labels every test of the calling folder "sanitize" through the folder's LABELS, since
# gtest_discover_tests passes no list-valued property to the cases it finds, and adds the suite to the
# target sanitize_suites where the build has one (the Windows build has no sanitizer job).
function(zelto_gtest_suite target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "SANITIZE" "LABEL;TIMEOUT" "")
    if(arg_SANITIZE AND TARGET sanitize_suites)
        set_property(DIRECTORY APPEND PROPERTY LABELS sanitize)
        add_dependencies(sanitize_suites ${target})
    endif()
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()
    # What the client keeps in the user's state folder goes to the build tree, not to the home of whoever tests.
    set(properties TIMEOUT ${arg_TIMEOUT} ENVIRONMENT XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-state)
    if(arg_LABEL)
        list(APPEND properties LABELS ${arg_LABEL})
    endif()
    gtest_discover_tests(${target} ${arg_UNPARSED_ARGUMENTS} PROPERTIES ${properties})
endfunction()
