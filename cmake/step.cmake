# step.js, the step view («По шагам»): src/step bundled by esbuild with the JavaScript parser
# acorn (npm packages pinned by src/step/package-lock.json, installed into step/node_modules).
# It is built with the playground (-DLUM_PLAYGROUND=ON), which inlines it; it is written beside
# lum (where watch mode finds it) and installed beside playground.html. lum never needs it.
set(LUM_STEP_OUT ${CMAKE_BINARY_DIR}/step.js)
install(FILES ${LUM_STEP_OUT} DESTINATION ${CMAKE_INSTALL_DATADIR}/lum OPTIONAL)
find_program(LUM_NODE node)
find_program(LUM_NPM npm)
if(NOT LUM_NODE OR NOT LUM_NPM OR CMAKE_CROSSCOMPILING)
  add_custom_target(step
    COMMAND ${CMAKE_COMMAND} -E echo "step.js needs a native build with node and npm"
    COMMAND ${CMAKE_COMMAND} -E false)
  return()
endif()
set(LUM_STEP_NPM_DIR ${CMAKE_BINARY_DIR}/step)
include(${CMAKE_SOURCE_DIR}/cmake/npm.cmake)
lum_npm_install(${CMAKE_SOURCE_DIR}/src/step ${LUM_STEP_NPM_DIR} "the step view")
file(GLOB LUM_STEP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/step/*.js ${CMAKE_SOURCE_DIR}/src/step/*.mjs
  ${CMAKE_SOURCE_DIR}/src/playground/bundle.mjs)
add_custom_command(
  OUTPUT ${LUM_STEP_OUT}
  COMMAND ${LUM_NODE} ${CMAKE_SOURCE_DIR}/src/step/build.mjs --modules ${LUM_STEP_NPM_DIR}/node_modules --out ${LUM_STEP_OUT}
  DEPENDS ${LUM_STEP_NPM_DIR}/npm.stamp ${LUM_STEP_SOURCES}
  COMMENT "Bundling step.js"
  VERBATIM)
if(LUM_PLAYGROUND)
  add_custom_target(step ALL DEPENDS ${LUM_STEP_OUT})
else()
  add_custom_target(step DEPENDS ${LUM_STEP_OUT})
endif()
