# Tests of the exchange: fetch, answers, endpoints, dial-up guard, UpdateDomain.
add_executable(exchange_tests
    ${CMAKE_CURRENT_LIST_DIR}/ExchangeUrlTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UpdateDomainTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialUpGuardTest.cpp
)
target_link_libraries(exchange_tests PRIVATE zelto_build_flags zelto_test_fakes GTest::gmock GTest::gtest_main)
gtest_discover_tests(exchange_tests)
