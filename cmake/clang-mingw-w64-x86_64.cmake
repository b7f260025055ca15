# Cross-compiles Tessel for 64-bit Windows with clang and lld against the
# MinGW-w64 headers and libraries (Debian's clang 14, lld 14 and
# g++-mingw-w64-x86-64-posix). A second compiler catches code that only GCC
# accepts.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(TESSEL_MINGW_SYSROOT /usr/${TESSEL_MINGW_TRIPLE})

find_program(TESSEL_CLANG NAMES clang-14 clang REQUIRED)
find_program(TESSEL_CLANGXX NAMES clang++-14 clang++ REQUIRED)
set(CMAKE_C_COMPILER ${TESSEL_CLANG})
set(CMAKE_CXX_COMPILER ${TESSEL_CLANGXX})
set(CMAKE_C_COMPILER_TARGET ${TESSEL_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${TESSEL_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${TESSEL_MINGW_TRIPLE}-windres)
# The sysroot keeps the host's /usr/include and /usr/lib out of the search paths.
set(CMAKE_SYSROOT ${TESSEL_MINGW_SYSROOT})

# Clang does not recognise Debian's "12-posix" GCC folder as a version, so it
# finds neither libstdc++'s headers nor its library on its own: name them.
# The posix flavour is the one whose std::thread and std::mutex work.
file(GLOB _tessel_gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${TESSEL_MINGW_TRIPLE}/*-posix)
set(_tessel_gcc_default "")
if(_tessel_gcc_dirs)
  list(SORT _tessel_gcc_dirs COMPARE NATURAL ORDER DESCENDING)
  list(GET _tessel_gcc_dirs 0 _tessel_gcc_default)
endif()
set(TESSEL_MINGW_GCC_DIR "${_tessel_gcc_default}" CACHE PATH "MinGW-w64 GCC folder that holds libstdc++ (posix threads)")
if(NOT EXISTS "${TESSEL_MINGW_GCC_DIR}/include/c++")
  message(FATAL_ERROR "libstdc++ for ${TESSEL_MINGW_TRIPLE} not found in '${TESSEL_MINGW_GCC_DIR}': install g++-mingw-w64-x86-64-posix")
endif()
# MinGW GCC compares type_info out of line, in libstdc++; clang 14 does not say
# so to the headers, which then define the comparison inline too, and lld
# rejects the second definition wherever typeid results are compared.
set(CMAKE_CXX_FLAGS_INIT "-D__GXX_TYPEINFO_EQUALITY_INLINE=0")
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
    ${TESSEL_MINGW_GCC_DIR}/include/c++
    ${TESSEL_MINGW_GCC_DIR}/include/c++/${TESSEL_MINGW_TRIPLE}
    ${TESSEL_MINGW_GCC_DIR}/include/c++/backward)
# libstdc++'s posix threads come from winpthreads, which clang's driver does
# not add; lld takes archives in any order, so the flag may come first.
# DLLs (the test DLLs) link the same way, or the driver finds no libstdc++.
set(_tessel_link_flags "-fuse-ld=lld -L${TESSEL_MINGW_GCC_DIR} -lpthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_tessel_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_tessel_link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_tessel_link_flags}")

set(CMAKE_FIND_ROOT_PATH ${TESSEL_MINGW_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run under Wine; scripts/wine-run sets up the environment.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
