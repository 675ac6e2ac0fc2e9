# Cross toolchain for the shipped 32-bit Windows DLLs: Debian's MinGW-w64 i686
# compilers. The DLLs use the "win32" thread flavour, whose runtime needs no
# libwinpthread. The Windows test program asks for the "posix" flavour
# (QEV_MINGW_THREADS=posix), which GoogleTest's threading needs, and links
# libwinpthread into itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

if(NOT QEV_MINGW_THREADS)
  set(QEV_MINGW_THREADS win32)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QEV_MINGW_THREADS)

set(QEV_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QEV_MINGW_TRIPLE}-gcc-${QEV_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${QEV_MINGW_TRIPLE}-g++-${QEV_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${QEV_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${QEV_MINGW_TRIPLE}-dlltool)
set(QEV_MINGW_OBJDUMP ${QEV_MINGW_TRIPLE}-objdump)

# x87 arithmetic keeps intermediates in 80-bit registers, so a float product
# truncated to an integer (the importer's weight percentages) could differ
# from the same code on any SSE build. SSE2 scalar maths gives IEEE single
# precision at every step, the same results as the native build.
#
# The i386 Windows convention promises only 4-byte stack alignment on entry,
# and a host built by another compiler may call Execute so. g++ keeps 16 bytes
# for its own calls and may place SSE values on the stack with aligned moves:
# -mstackrealign makes every function that needs more alignment than it is
# promised realign its own frame, rather than trusting the caller (the
# MinGW default with SSE, stated here so that it does not depend on it).
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")

set(CMAKE_FIND_ROOT_PATH /usr/${QEV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The plug-ins carry their own C++ runtime: the only DLLs they import are the
# host's model library and the system's own.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
if(QEV_MINGW_THREADS STREQUAL "posix")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -static")
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -static")
endif()
