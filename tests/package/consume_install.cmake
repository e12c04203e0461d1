# Script mode: install, configure and build the example host against the install, run it.

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${ARGN}")
    endif()
endfunction()

file(REMOVE_RECURSE ${STAGING_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGING_DIR}/usr)

set(configure_args
    -S ${HOST_SOURCE_DIR} -B ${STAGING_DIR}/host-build -G ${GENERATOR}
    -D CMAKE_PREFIX_PATH=${STAGING_DIR}/usr
    -D CMAKE_CXX_COMPILER=${CXX_COMPILER}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
if(TOOLCHAIN_FILE)
    list(APPEND configure_args -D CMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
endif()
run(${CMAKE_COMMAND} ${configure_args})
run(${CMAKE_COMMAND} --build ${STAGING_DIR}/host-build)

set(network ${STAGING_DIR}/network.db)
file(REMOVE ${network})
run(${SQLITE3_SHELL} ${network} ".read ${SAMPLE_NETWORK}")

run(${EMULATOR} ${STAGING_DIR}/host-build/pathweave-host ${network} NJP MARKET ${SAMPLE_TRACK})
