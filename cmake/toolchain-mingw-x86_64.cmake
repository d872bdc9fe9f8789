# Test build for machines whose kernel cannot run 32-bit x86 code (Wine's 32-bit loader then
# fails with "Exec format error"): the same sources as 64-bit Windows programs, run by the
# 64-bit Wine loader directly.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
