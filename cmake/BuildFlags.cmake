# Build settings shared by every target of ours, and only ours: third-party code never links this.
option(ZELTO_WERROR "Turn compiler warnings into errors (scripts/test and CI turn it on)" OFF)

add_library(zelto_build_flags INTERFACE)
target_compile_features(zelto_build_flags INTERFACE cxx_std_20)
target_compile_options(zelto_build_flags INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${ZELTO_WERROR}>:-Werror>)
target_compile_definitions(zelto_build_flags INTERFACE
    ZELTO_VERSION="${PROJECT_VERSION}"
    # The settings hold single-byte texts: every conversion between bytes and QString is spelled out.
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII)

# Hardening: fortified library calls where the optimiser makes them checkable, stack canaries, position-
# independent executables, and a relocation table that is read-only once the program has started.
set(zelto_optimising $<NOT:$<CONFIG:Debug>>)
target_compile_options(zelto_build_flags INTERFACE
    -fstack-protector-strong
    $<${zelto_optimising}:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
# The Windows linker makes its programs relocatable with no-execute data by default; what the canaries and
# fortified calls need there (libssp) comes with the same flag at link time.
if(WIN32)
    target_link_options(zelto_build_flags INTERFACE -fstack-protector-strong)
else()
    target_link_options(zelto_build_flags INTERFACE
        -Wl,-z,relro -Wl,-z,now
        $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-pie>)
endif()
