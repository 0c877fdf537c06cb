# Build settings shared by every target of ours. Third-party code never links this.
add_library(zelto_build_flags INTERFACE)
target_compile_features(zelto_build_flags INTERFACE cxx_std_20)
target_compile_options(zelto_build_flags INTERFACE -Wall -Wextra -Wpedantic -Werror)
target_compile_definitions(zelto_build_flags INTERFACE ZELTO_VERSION="${PROJECT_VERSION}")
