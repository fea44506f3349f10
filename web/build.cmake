# Configures (once) and builds the web page: cmake -DKN_ROOT=DIR
# -DKN_WEB_BUILD=DIR -DKN_WEB_OUT=DIR -P web/build.cmake. Emscripten's
# optimiser finds its JavaScript modules through NODE_PATH.
set(ENV{NODE_PATH} /usr/share/nodejs)
find_program(EMCMAKE emcmake)
if(NOT EMCMAKE)
  message(FATAL_ERROR "emcmake not found: the web build needs Debian's emscripten package")
endif()
if(NOT EXISTS ${KN_WEB_BUILD}/build.ninja)
  execute_process(COMMAND ${EMCMAKE} ${CMAKE_COMMAND} -S ${KN_ROOT}/web -B ${KN_WEB_BUILD}
                          -G Ninja -DKN_WEB_OUT=${KN_WEB_OUT}
                  RESULT_VARIABLE result)
  if(result)
    message(FATAL_ERROR "configuring the web build failed")
  endif()
endif()
execute_process(COMMAND nice ${CMAKE_COMMAND} --build ${KN_WEB_BUILD} -j 2 RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "the web build failed")
endif()
