# Looks for every package the chosen parts of the build need before any of them is used, and when
# some are missing stops with one message: the Debian packages that are missing and the one
# apt-get line that brings everything (the README's line).

set(PATHWEAVE_APT_LINE
    "apt-get install cmake ninja-build g++ pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev libzip-dev libcsv-dev libjs-leaflet")

set(pathweave_missing_packages "")

# Records `debian_package` as missing unless find_package(<package> <arguments>) finds it.
macro(pathweave_find package debian_package)
    find_package(${package} ${ARGN} QUIET)
    if(NOT ${package}_FOUND)
        list(APPEND pathweave_missing_packages ${debian_package})
    endif()
endmacro()

pathweave_find(SQLite3 libsqlite3-dev)
if(PATHWEAVE_BUILD_TOOLS)
    pathweave_find(CLI11 libcli11-dev CONFIG)
    pathweave_find(nlohmann_json nlohmann-json3-dev CONFIG)
    # Leaflet goes into the map page that `pathweave map` writes; a cross build takes it from the
    # build machine too, as it is no code for the target.
    find_path(PATHWEAVE_LEAFLET_DIR NAMES leaflet.min.js PATHS /usr/share/javascript/leaflet
        NO_CMAKE_FIND_ROOT_PATH DOC "Folder with Leaflet's leaflet.min.js and leaflet.css")
    if(NOT PATHWEAVE_LEAFLET_DIR OR NOT EXISTS "${PATHWEAVE_LEAFLET_DIR}/leaflet.css")
        list(APPEND pathweave_missing_packages libjs-leaflet)
    endif()
endif()
if(PATHWEAVE_BUILD_TESTS AND NOT PATHWEAVE_GTEST_SOURCE_DIR)
    pathweave_find(GTest libgtest-dev)
    if(GTest_FOUND AND NOT TARGET GTest::gmock)
        list(APPEND pathweave_missing_packages libgmock-dev)
    endif()
    find_program(SQLITE3_SHELL sqlite3)
    if(NOT SQLITE3_SHELL)
        list(APPEND pathweave_missing_packages sqlite3)
    endif()
endif()
if(PATHWEAVE_BUILD_BENCHMARKS)
    pathweave_find(benchmark libbenchmark-dev)
endif()
if(PATHWEAVE_BUILD_GTFS_IMPORT)
    # Debian's libzip CMake package names programs of another package; its pkg-config file does not.
    find_package(PkgConfig QUIET)
    if(PkgConfig_FOUND)
        pkg_check_modules(PATHWEAVE_LIBZIP QUIET IMPORTED_TARGET GLOBAL libzip)
    endif()
    if(NOT PATHWEAVE_LIBZIP_FOUND)
        list(APPEND pathweave_missing_packages libzip-dev)
    endif()
    find_path(PATHWEAVE_CSV_INCLUDE_DIR csv.h)
    find_library(PATHWEAVE_CSV_LIBRARY csv)
    if(NOT PATHWEAVE_CSV_INCLUDE_DIR OR NOT PATHWEAVE_CSV_LIBRARY)
        list(APPEND pathweave_missing_packages libcsv-dev)
    endif()
endif()

if(pathweave_missing_packages)
    list(JOIN pathweave_missing_packages " " missing)
    # Packages that only some builds need (the benchmarks' library) are not in the README's line.
    set(line "${PATHWEAVE_APT_LINE}")
    foreach(package IN LISTS pathweave_missing_packages)
        if(NOT " ${line} " MATCHES " ${package} ")
            string(APPEND line " ${package}")
        endif()
    endforeach()
    message(FATAL_ERROR "Missing Debian packages: ${missing}\n"
        "Install everything the build needs with:\n  ${line}\n")
endif()
