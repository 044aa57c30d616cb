# Cross-build for 64-bit Windows: the same program, for machines that run no
# 32-bit code (its tests run under wine64).
set(SEED_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
