# Installs the build into a fresh prefix, checks the tree (IDE/, BIN/,
# Resource/), then runs the probe from the installed IDE/ folder out of
# another current folder and checks that it found the prefix as its root.
# Arguments: BUILD_DIR, WORK_DIR, PROBE.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/elsewhere ${WORK_DIR}/tmp)

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(expected IDE/libvellum.so BIN/_Vellum.cfg)
  if(NOT EXISTS ${prefix}/${expected})
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()

file(COPY ${PROBE} DESTINATION ${prefix}/IDE)
get_filename_component(probe_name ${PROBE} NAME)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TEMP=${WORK_DIR}/tmp ${prefix}/IDE/${probe_name}
                WORKING_DIRECTORY ${WORK_DIR}/elsewhere
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(REAL_PATH ${prefix} real_prefix)
set(expected "root: ${real_prefix}/\nExtPage: *.htm;*.html;*.shtml;*.xhtml;*.php;*.asp;*.aspx;*.jsp\n")
string(FIND "${output}" "${expected}" found)
if(NOT result EQUAL 0 OR found EQUAL -1)
  message(FATAL_ERROR "the installed probe (exit ${result}) printed:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
