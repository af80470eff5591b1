# Cross-compiles the 32-bit Windows build (the product) with the POSIX-threads flavour of
# MinGW-w64 (GoogleTest needs std::thread) and runs its tests under Wine.
set(SPROUT_FLAVOUR win32)
set(SPROUT_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
