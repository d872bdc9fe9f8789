# The shipped build: 32-bit Windows, because the handset vendor's library is 32-bit.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
