# Makes a release package: run with -DKIND=windows (the zip from the cross build) or
# -DKIND=linux (a tarball of what `cmake --install` lays out), -DSOURCE_ROOT, -DBINARY_ROOT
# and, for Windows, -DEXE (the built lum.exe); -DPLAYGROUND names playground.html, which the
# packages carry when it has been built.
set(VERSION 2.7)
set(STAGE ${BINARY_ROOT}/package)
# The archiver converts names through the locale; under a plain "C" locale it cannot read the
# Cyrillic ones, so it always runs with a UTF-8 one, and zip entries carry the UTF-8 flag.
set(TAR ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${CMAKE_COMMAND} -E tar)
file(REMOVE_RECURSE ${STAGE})
if(NOT EXISTS "${PLAYGROUND}")
  message(WARNING "${PLAYGROUND} is not built (configure with -DLUM_PLAYGROUND=ON): the package goes without it")
endif()

if(KIND STREQUAL "windows")
  set(NAME lum-${VERSION}-windows)
  set(ROOT ${STAGE}/${NAME})
  # Everything the program looks for sits beside lum.exe, the first place it searches.
  file(MAKE_DIRECTORY ${ROOT})
  file(COPY ${EXE} DESTINATION ${ROOT})
  file(COPY ${SOURCE_ROOT}/src/keywords.csv ${SOURCE_ROOT}/src/other_words.csv DESTINATION ${ROOT})
  if(IS_DIRECTORY "${SOURCE_ROOT}/библиотеки")
    file(COPY "${SOURCE_ROOT}/библиотеки" DESTINATION ${ROOT})
  endif()
  # Example sources only: pages compiled in the source tree stay out.
  file(GLOB_RECURSE examples RELATIVE ${SOURCE_ROOT}/examples ${SOURCE_ROOT}/examples/*)
  foreach(example IN LISTS examples)
    if(NOT example MATCHES "^[^/]*\\.(html|js)$")
      get_filename_component(folder ${example} DIRECTORY)
      file(COPY ${SOURCE_ROOT}/examples/${example} DESTINATION ${ROOT}/examples/${folder})
    endif()
  endforeach()
  if(EXISTS "${SOURCE_ROOT}/docs/язык.md")
    file(COPY "${SOURCE_ROOT}/docs/язык.md" DESTINATION ${ROOT}/docs)
  endif()
  # Beside lum.exe, where lum --playground looks first.
  if(EXISTS "${PLAYGROUND}")
    file(COPY "${PLAYGROUND}" DESTINATION ${ROOT})
    # The step view is built beside it; watch mode looks for it beside lum.exe.
    get_filename_component(built ${PLAYGROUND} DIRECTORY)
    if(EXISTS "${built}/step.js")
      file(COPY "${built}/step.js" DESTINATION ${ROOT})
    endif()
  endif()
  set(ARCHIVE ${BINARY_ROOT}/${NAME}.zip)
  file(REMOVE ${ARCHIVE})
  execute_process(COMMAND ${TAR} cf ${ARCHIVE} --format=zip ${NAME}
                  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
elseif(KIND STREQUAL "linux")
  set(NAME lum-${VERSION}-linux)
  set(ROOT ${STAGE}/${NAME})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_ROOT} --prefix ${ROOT}
                  OUTPUT_QUIET RESULT_VARIABLE failed)
  if(NOT failed)
    set(ARCHIVE ${BINARY_ROOT}/${NAME}.tar.gz)
    file(REMOVE ${ARCHIVE})
    execute_process(COMMAND ${TAR} czf ${ARCHIVE} ${NAME}
                    WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
  endif()
else()
  message(FATAL_ERROR "KIND is windows or linux, not '${KIND}'")
endif()

if(failed)
  message(FATAL_ERROR "packaging failed: ${failed}")
endif()
message(STATUS "package: ${ARCHIVE}")
