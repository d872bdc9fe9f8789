# The same sources as 64-bit Windows programs, run by the 64-bit Wine loader directly: the
# quick test loop on machines whose kernel runs 32-bit x86 code only through qemu, and the
# build the timed figures come from there. The tests judge the shipped i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
