# npm packages of a build-time tool, pinned by its package-lock.json and installed with `npm ci`
# into a folder of the build: lum_npm_install(<source folder> <build folder> <what, for the log>)
# adds the command that makes <build folder>/npm.stamp.
function(lum_npm_install source folder what)
  add_custom_command(
    OUTPUT ${folder}/npm.stamp
    COMMAND ${CMAKE_COMMAND} -E copy ${source}/package.json ${source}/package-lock.json ${folder}/
    COMMAND ${LUM_NPM} ci --prefix ${folder} --no-audit --no-fund --loglevel=error
    COMMAND ${CMAKE_COMMAND} -E touch ${folder}/npm.stamp
    DEPENDS ${source}/package.json ${source}/package-lock.json
    COMMENT "Installing ${what}'s npm packages (pinned by package-lock.json)")
endfunction()
