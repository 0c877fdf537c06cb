# Tests of the engine: filters, detection, decision, the update thread.
add_executable(engine_tests
    AddressTest.cpp
    ClientSettingsTest.cpp
    PrintableTextTest.cpp
    UpdateCycleTest.cpp
    UpdateScheduleCycleTest.cpp
)
target_include_directories(engine_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(engine_tests PRIVATE zelto_build_flags zelto_update zelto_platform zelto_test_fakes
    GTest::gtest_main)
zelto_gtest_suite(engine_tests SANITIZE)
