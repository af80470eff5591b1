# Cross-compiles the 64-bit Windows build from the same sources, for machines whose kernel runs
# no 32-bit code: there only 64-bit Windows programs run under Wine.
set(SPROUT_FLAVOUR win64)
set(SPROUT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
