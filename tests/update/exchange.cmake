# Tests of the exchange: URLs, answers over the libcurl session against the emulator, dial-up guard, TLS.
add_executable(exchange_tests
    ${CMAKE_CURRENT_LIST_DIR}/ExchangeTest.cpp
)
target_link_libraries(exchange_tests PRIVATE zelto_build_flags zelto_platform zelto_curl zelto_emulator
    zelto_test_fakes GTest::gtest_main)
target_compile_definitions(exchange_tests PRIVATE
    ZELTO_TEST_CERTIFICATES="${PROJECT_SOURCE_DIR}/tests/fakes/make-test-certificates.sh")
zelto_gtest_suite(exchange_tests SANITIZE)
