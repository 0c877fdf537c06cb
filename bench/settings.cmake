# Benchmarks of the settings store.
add_executable(zelto_settings_bench SettingsBench.cpp)
target_link_libraries(zelto_settings_bench PRIVATE zelto_build_flags zelto_settings benchmark::benchmark)
