# Tests of the engine: filters, detection, decision, the update thread.
add_executable(engine_tests
    AddressTest.cpp
    PrintableTextTest.cpp
    UpdateCycleTest.cpp
    UpdateScheduleCycleTest.cpp
)
target_include_directories(engine_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(engine_tests PRIVATE zelto_build_flags zelto_update zelto_platform zelto_test_fakes
    GTest::gtest_main)
# The emulator and the system's events run in the test process on Linux only.
if(NOT WIN32)
    target_sources(engine_tests PRIVATE UpdateCycleEventsTest.cpp)
    target_link_libraries(engine_tests PRIVATE zelto_emulator)
    target_compile_definitions(engine_tests PRIVATE ZELTO_LOGIND_STANDIN="${CMAKE_CURRENT_SOURCE_DIR}/logind_standin.py")
endif()
zelto_gtest_suite(engine_tests SANITIZE)
