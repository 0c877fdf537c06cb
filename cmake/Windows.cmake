# What the Windows build is made of: the settings store, the engine and the configuration operations as on
# Linux, the Windows adapters, and the Windows front-ends. Their tests run under Wine.
find_package(Threads REQUIRED)

# The C runtime's localtime_r, which the engine shares with the Linux build.
target_compile_definitions(zelto_build_flags INTERFACE _POSIX_THREAD_SAFE_FUNCTIONS=200112L)

option(ZELTO_BUILD_TESTS "Build the tests (they run under Wine)" ON)

add_subdirectory(src/settings)
add_subdirectory(src/platform)
add_subdirectory(src/schema)
add_subdirectory(src/update)
add_subdirectory(src/config)
add_subdirectory(src/desktop)
add_subdirectory(src/cli)

# The composition root: the Windows adapters, assembled once for every Windows program, and the console
# program. Programs go to dist/ (scripts/build-windows installs there).
add_library(zelto_app_windows STATIC src/app/WindowsPlatform.cpp)
target_link_libraries(zelto_app_windows PUBLIC zelto_build_flags zelto_platform)
# The service's events name the console program as their message file: its message table, made by windmc.
enable_language(RC)
find_program(ZELTO_WINDMC ${ZELTO_MINGW_TARGET}-windmc REQUIRED)
set(ZELTO_MESSAGES_DIR ${PROJECT_BINARY_DIR}/event-messages)
add_custom_command(
    OUTPUT ${ZELTO_MESSAGES_DIR}/EventMessages.rc
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELTO_MESSAGES_DIR}
    COMMAND ${ZELTO_WINDMC} -r ${ZELTO_MESSAGES_DIR} -h ${ZELTO_MESSAGES_DIR}
        ${PROJECT_SOURCE_DIR}/res/windows/EventMessages.mc
    DEPENDS ${PROJECT_SOURCE_DIR}/res/windows/EventMessages.mc
    COMMENT "Making the event log's message table")
add_executable(zelto-premium-cli src/app/WindowsConsoleMain.cpp ${ZELTO_MESSAGES_DIR}/EventMessages.rc)
target_include_directories(zelto-premium-cli PRIVATE ${ZELTO_MESSAGES_DIR})
# wmain: the arguments in UTF-16.
target_link_options(zelto-premium-cli PRIVATE -municode)
target_link_libraries(zelto-premium-cli PRIVATE zelto_app_windows zelto_cli)
install(TARGETS zelto-premium-cli RUNTIME DESTINATION .)

# The desktop program: its resources, the Win32 front-end, and the installer of both programs.
add_subdirectory(res/windows)
add_subdirectory(src/win32)
# GUI subsystem, wWinMain: the arguments in UTF-16.
add_executable(zelto-premium WIN32 src/app/WindowsDesktopMain.cpp)
target_link_options(zelto-premium PRIVATE -municode)
target_link_libraries(zelto-premium PRIVATE zelto_app_windows zelto_win32 zelto_win32_resources)
install(TARGETS zelto-premium RUNTIME DESTINATION .)
add_subdirectory(packaging/windows)

if(ZELTO_BUILD_TESTS)
    enable_testing()
    # GoogleTest from Debian's source package, built with the cross compiler; no prebuilt one fits.
    set(ZELTO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source tree")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # It names its targets GTest::gtest, GTest::gtest_main and GTest::gmock, as the Linux build finds them.
    add_subdirectory(${ZELTO_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    include(GoogleTest)
    include(${PROJECT_SOURCE_DIR}/cmake/TestSuites.cmake)
    # Listing a suite's cases runs it, under Wine: leave that to ctest, so that building needs no Wine.
    set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
        find_program(ZELTO_WINE wine REQUIRED)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELTO_WINE})
    endif()
    add_subdirectory(tests/fakes)
    add_subdirectory(tests/settings)
    add_subdirectory(tests/schema)
    add_subdirectory(tests/update)
    add_subdirectory(tests/config)
    add_subdirectory(tests/desktop)
    foreach(suite zelto_test_fakes settings_tests schema_tests engine_tests config_tests desktop_tests)
        target_compile_options(${suite} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/windows/PosixShims.h)
    endforeach()
    add_subdirectory(tests/platform/windows)
    add_subdirectory(tests/cli/windows)
    add_subdirectory(tests/faults/windows)
    add_subdirectory(tests/win32)
endif()
