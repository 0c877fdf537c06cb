# nlohmann-json, header-only, from Debian's nlohmann-json3-dev. The cross build must not search the host's
# /usr/include (its C library headers would shadow the cross tree's), so this one library's headers are
# copied into the build folder and used from there by both builds.
find_path(ZELTO_NLOHMANN_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(COPY "${ZELTO_NLOHMANN_JSON_DIR}/nlohmann" DESTINATION "${PROJECT_BINARY_DIR}/third-party")
add_library(zelto_json INTERFACE)
target_include_directories(zelto_json SYSTEM INTERFACE "${PROJECT_BINARY_DIR}/third-party")
