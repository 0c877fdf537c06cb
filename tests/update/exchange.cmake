# Tests of the exchange: URLs, answers over the libcurl session against the emulator, dial-up guard, TLS.
add_executable(exchange_tests
    ${CMAKE_CURRENT_LIST_DIR}/ExchangeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TlsExchangeTest.cpp
)
target_link_libraries(exchange_tests PRIVATE zelto_build_flags zelto_platform zelto_curl zelto_emulator
    zelto_test_fakes zelto_test_certificates GTest::gtest_main)
zelto_gtest_suite(exchange_tests SANITIZE)
