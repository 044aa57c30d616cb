# Cross-build for 32-bit Windows: the program as it ships.
set(SEED_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
