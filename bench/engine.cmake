# Benchmarks of the update engine.
add_executable(zelto_engine_bench EngineBench.cpp)
target_include_directories(zelto_engine_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(zelto_engine_bench PRIVATE zelto_build_flags zelto_update zelto_platform zelto_test_fakes
    zelto_emulator benchmark::benchmark)
