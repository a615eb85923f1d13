# Run by cpack on the staged tree, before the package is built: the programs (and
# the audio module) are
# stripped the way Debian strips them, and their symbols go into a package of
# their own, holdra-dbgsym, under the build ids by which gdb finds them.
set(stage ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(GLOB programs ${stage}/bin/holdra ${stage}/libexec/holdra/holdra-gui ${stage}/libexec/holdra/holdra-audio.so)
set(root ${CPACK_TEMPORARY_DIRECTORY}-dbgsym)
file(REMOVE_RECURSE ${root})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

find_program(OBJCOPY objcopy REQUIRED)
find_program(STRIP strip REQUIRED)
find_program(READELF readelf REQUIRED)
find_program(DPKG dpkg REQUIRED)
find_program(DPKG_DEB dpkg-deb REQUIRED)

function(splitSymbols program)
  run(${READELF} --notes ${program})
  if(NOT output MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
    message(FATAL_ERROR "${program} has no build id; gdb could not find its symbols")
  endif()
  set(symbols ${root}/usr/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
  get_filename_component(symbolsDir ${symbols} DIRECTORY)
  file(MAKE_DIRECTORY ${symbolsDir})
  run(${OBJCOPY} --only-keep-debug --compress-debug-sections ${program} ${symbols})
  file(CHMOD ${symbols} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  run(${STRIP} --remove-section=.comment --remove-section=.note ${program})
  run(${OBJCOPY} --add-gnu-debuglink=${symbols} ${program})
  set(buildIds ${buildIds} ${CMAKE_MATCH_1}${CMAKE_MATCH_2} PARENT_SCOPE)
  set(symbolFiles ${symbolFiles} ${symbols} PARENT_SCOPE)
endfunction()

if(NOT programs)
  message(FATAL_ERROR "no program under ${stage} to split")
endif()
foreach(program ${programs})
  splitSymbols(${program})
endforeach()

# The documentation is holdra's own, which the package depends on.
file(MAKE_DIRECTORY ${root}/usr/share/doc ${root}/DEBIAN)
file(CREATE_LINK holdra ${root}/usr/share/doc/holdra-dbgsym SYMBOLIC)

run(${DPKG} --print-architecture)
set(architecture ${output})
set(kibibytes 0)
set(md5sums "")
foreach(symbols ${symbolFiles})
  file(SIZE ${symbols} bytes)
  math(EXPR kibibytes "${kibibytes} + (${bytes} + 1023) / 1024")
  file(MD5 ${symbols} md5)
  file(RELATIVE_PATH listed ${root} ${symbols})
  string(APPEND md5sums "${md5}  ${listed}\n")
endforeach()
list(JOIN buildIds " " buildIds)
file(WRITE ${root}/DEBIAN/control "Package: holdra-dbgsym
Source: holdra
Version: ${CPACK_PACKAGE_VERSION}
Architecture: ${architecture}
Maintainer: ${CPACK_PACKAGE_CONTACT}
Installed-Size: ${kibibytes}
Depends: holdra (= ${CPACK_PACKAGE_VERSION})
Section: debug
Priority: optional
Auto-Built-Package: debug-symbols
Build-Ids: ${buildId}
Description: debug symbols for holdra
")
file(WRITE ${root}/DEBIAN/md5sums "${md5sums}")
run(${DPKG_DEB} --root-owner-group -Zxz --build ${root}
    ${CPACK_PACKAGE_DIRECTORY}/holdra-dbgsym_${CPACK_PACKAGE_VERSION}_${architecture}.deb)
