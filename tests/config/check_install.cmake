# Installs the build into a fresh prefix, checks the tree, then runs the probe
# from the installed IDE/ folder out of another current folder (whose
# Vellum.cfg it must not read) with a user configuration home (whose broken
# Vellum.cfg it must report), and checks the root it found and that its
# temporary folder went at its exit. Arguments: BUILD_DIR, WORK_DIR, PROBE.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/tmp)
file(WRITE ${WORK_DIR}/elsewhere/Vellum.cfg "ExtPage=\"*.evil\"")
file(WRITE ${WORK_DIR}/config/vellumark/Vellum.cfg "Bogus")

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
execute_process(COMMAND ${CMAKE_COMMAND} -E env TEMP=${WORK_DIR}/tmp
                        XDG_CONFIG_HOME=${WORK_DIR}/config ${prefix}/IDE/${probe_name}
                WORKING_DIRECTORY ${WORK_DIR}/elsewhere
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(REAL_PATH ${prefix} real_prefix)
file(GLOB left ${WORK_DIR}/tmp/*)
if(NOT result EQUAL 0 OR left OR NOT output STREQUAL "info: '${WORK_DIR}/config/vellumark/Vellum.cfg' - bad profect (line 1)
root: ${real_prefix}/
ExtPage: *.htm;*.html;*.shtml;*.xhtml;*.php;*.asp;*.aspx;*.jsp
ExtPicts: *.gif;*.jpg;*.jpeg;*.png;*.bmp;*.svg;*.webp
")
  message(FATAL_ERROR "the installed probe (exit ${result}, left ${left}) printed:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
