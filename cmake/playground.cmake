# The browser playground, playground.html: the same C++ core built to WebAssembly by emscripten
# (a build of its own, configured with emcmake, in playground/wasm), the editor bundled from npm
# packages (installed from src/playground/package-lock.json into playground/node_modules) and
# everything inlined by src/playground/build.mjs. The target `playground` is part of the default
# build only with -DLUM_PLAYGROUND=ON; lum itself never needs any of it.
option(LUM_PLAYGROUND "Build playground.html with the default build (needs emscripten, node and npm)" OFF)
# A cross build packages the playground.html of a native build rather than making its own.
set(LUM_PLAYGROUND_HTML "" CACHE FILEPATH "A playground.html built elsewhere, for the packages")

set(LUM_PLAYGROUND_OUT ${CMAKE_BINARY_DIR}/playground.html)
if(LUM_PLAYGROUND_HTML)
  set(LUM_PLAYGROUND_OUT ${LUM_PLAYGROUND_HTML})
endif()
install(FILES ${LUM_PLAYGROUND_OUT} DESTINATION ${CMAKE_INSTALL_DATADIR}/lum OPTIONAL)

find_program(LUM_EMCMAKE emcmake)
find_program(LUM_NODE node)
find_program(LUM_NPM npm)
set(missing)
foreach(tool EMCMAKE NODE NPM)
  if(NOT LUM_${tool})
    list(APPEND missing ${tool})
  endif()
endforeach()
if(missing OR CMAKE_CROSSCOMPILING)
  if(LUM_PLAYGROUND)
    message(FATAL_ERROR "LUM_PLAYGROUND needs emscripten, node and npm (apt-get install -y emscripten nodejs npm); "
                        "missing: ${missing}")
  endif()
  add_custom_target(playground
    COMMAND ${CMAKE_COMMAND} -E echo "playground.html needs a native build with emscripten, node and npm"
    COMMAND ${CMAKE_COMMAND} -E false)
  return()
endif()

if(LUM_PLAYGROUND)
  set(LUM_PLAYGROUND_ALL ALL)
endif()

# Debian's emscripten runs its JavaScript tools with the system node, whose search path may miss
# the packaged acorn; the Debian package keeps it in /usr/share/nodejs.
set(LUM_EMSCRIPTEN_ENV ${CMAKE_COMMAND} -E env)
if(IS_DIRECTORY /usr/share/nodejs/acorn)
  list(APPEND LUM_EMSCRIPTEN_ENV "NODE_PATH=/usr/share/nodejs")
endif()
set(LUM_WASM_DIR ${CMAKE_BINARY_DIR}/playground/wasm)
set(LUM_PLAYGROUND_JOBS 2 CACHE STRING "Parallel jobs of the WebAssembly build")

include(ExternalProject)
ExternalProject_Add(lum_wasm
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${LUM_WASM_DIR}
  CONFIGURE_COMMAND ${LUM_EMSCRIPTEN_ENV} ${LUM_EMCMAKE} ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR} -B ${LUM_WASM_DIR}
                    -G ${CMAKE_GENERATOR} -DCMAKE_BUILD_TYPE=MinSizeRel -DLUM_TESTS=OFF
  BUILD_COMMAND ${LUM_EMSCRIPTEN_ENV} ${CMAKE_COMMAND} --build ${LUM_WASM_DIR} --target lum
                --parallel ${LUM_PLAYGROUND_JOBS}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${LUM_WASM_DIR}/lum.js
  EXCLUDE_FROM_ALL ON)

set(LUM_NPM_DIR ${CMAKE_BINARY_DIR}/playground)
include(${CMAKE_SOURCE_DIR}/cmake/npm.cmake)
lum_npm_install(${CMAKE_SOURCE_DIR}/src/playground ${LUM_NPM_DIR} "the playground")

file(GLOB LUM_PLAYGROUND_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/playground/*.js ${CMAKE_SOURCE_DIR}/src/playground/*.mjs
  ${CMAKE_SOURCE_DIR}/src/playground/*.css ${CMAKE_SOURCE_DIR}/src/playground/*.html
  ${CMAKE_SOURCE_DIR}/examples/*.лумс ${CMAKE_SOURCE_DIR}/examples/библиотеки/*)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/playground.html
  COMMAND ${LUM_NODE} ${CMAKE_SOURCE_DIR}/src/playground/build.mjs --wasm ${LUM_WASM_DIR}/lum.js
          --modules ${LUM_NPM_DIR}/node_modules --step ${LUM_STEP_OUT} --out ${CMAKE_BINARY_DIR}/playground.html
  DEPENDS ${LUM_WASM_DIR}/lum.js ${LUM_NPM_DIR}/npm.stamp ${LUM_STEP_OUT} ${LUM_PLAYGROUND_SOURCES} ${CMAKE_SOURCE_DIR}/src/keywords.csv
  COMMENT "Assembling playground.html"
  VERBATIM)
add_custom_target(playground ${LUM_PLAYGROUND_ALL} DEPENDS ${CMAKE_BINARY_DIR}/playground.html)
add_dependencies(playground lum_wasm)
