# Shared part of the MinGW-w64 toolchains: Debian's cross compilers (posix thread variant: std::thread,
# std::mutex). The including file sets CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(FERRULE_MINGW_TRIPLET ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${FERRULE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FERRULE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${FERRULE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FERRULE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: no MinGW runtime DLLs beside them, and zlib's static archive rather than its
# import library for zlib1.dll, which Windows does not have.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The same for DLLs and plugins (Qt's, built with this file): they need only Windows' DLLs and each other.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)
