# Cross build for 32-bit ARM Linux (armhf), the production target, with Debian's
# crossbuild-essential-armhf. Every program built here, the tests included, is run through
# qemu-arm (Debian's qemu-user); nothing relies on a binfmt registration.
#
# The target's libraries come from two places: the cross toolchain's own folder
# (/usr/arm-linux-gnueabihf: C and C++ runtimes, sanitizer runtimes) and the folder that
# cmake/armhf-sysroot.sh fills with Debian's armhf SQLite packages.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(PATHWEAVE_ARMHF_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${PATHWEAVE_ARMHF_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PATHWEAVE_ARMHF_TRIPLET}-g++)
# GCC notes that passing some structures changed in GCC 7.1; it matters only to code built by
# GCC 6 or older, and nothing on the target is.
set(CMAKE_C_FLAGS_INIT -Wno-psabi)
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)

set(PATHWEAVE_ARMHF_RUNTIME /usr/${PATHWEAVE_ARMHF_TRIPLET})
if(DEFINED ENV{PATHWEAVE_ARMHF_SYSROOT})
    set(PATHWEAVE_ARMHF_SYSROOT $ENV{PATHWEAVE_ARMHF_SYSROOT})
else()
    get_filename_component(PATHWEAVE_ARMHF_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/../build/armhf-sysroot ABSOLUTE)
endif()
if(NOT EXISTS ${PATHWEAVE_ARMHF_SYSROOT}/usr/include/sqlite3.h)
    message(FATAL_ERROR "No armhf SQLite in ${PATHWEAVE_ARMHF_SYSROOT}: run cmake/armhf-sysroot.sh first")
endif()

# Headers and libraries only from the target folders; programs (the sqlite3 shell that makes
# test databases) from the host. CMake packages also from CMAKE_PREFIX_PATH as given, so that a
# host project finds an install of this library in a staging folder: Debian keeps the host's
# compiled packages under lib/x86_64-linux-gnu, which a search for arm-linux-gnueabihf skips.
list(APPEND CMAKE_FIND_ROOT_PATH ${PATHWEAVE_ARMHF_RUNTIME} ${PATHWEAVE_ARMHF_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# -L: the ARM dynamic loader and runtimes; LD_LIBRARY_PATH: SQLite. Build-tree libraries are
# found through their RPATH.
find_program(PATHWEAVE_QEMU_ARM qemu-arm REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${PATHWEAVE_QEMU_ARM}
    -L ${PATHWEAVE_ARMHF_RUNTIME}
    -E LD_LIBRARY_PATH=${PATHWEAVE_ARMHF_SYSROOT}/usr/lib/${PATHWEAVE_ARMHF_TRIPLET})

# GoogleTest is compiled for the target from the sources of Debian's googletest package.
if(NOT DEFINED PATHWEAVE_GTEST_SOURCE_DIR AND EXISTS /usr/src/googletest/CMakeLists.txt)
    set(PATHWEAVE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources built for the target")
endif()
