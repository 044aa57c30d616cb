# The cross-build for Windows shared by both presets; the including file sets
# SEED_MINGW_ARCH (i686 or x86_64). The posix-thread variant of the compiler is
# required: GoogleTest needs std::mutex, which the win32 variant lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SEED_MINGW_ARCH})
set(CMAKE_C_COMPILER ${SEED_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${SEED_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${SEED_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SEED_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run under Wine; CTest prefixes every cross-built test with this.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
