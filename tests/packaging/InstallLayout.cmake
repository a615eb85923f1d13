# Installs the built tree into a scratch prefix and builds the Debian package,
# then checks what a desktop and a package manager will look for.
# Called by ctest with -DBUILD_DIR=… -DSCRATCH=….
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

# The package's programs are stripped and hardened; the debug-symbols package
# holds their symbols under the build ids gdb looks them up by.
function(check_debug_symbols deb dbgsym)
  set(unpacked ${SCRATCH}/unpacked)
  run(${DPKG_DEB} -x ${deb} ${unpacked})
  run(${DPKG_DEB} -x ${dbgsym} ${unpacked})
  foreach(program ${unpacked}/usr/bin/holdra ${unpacked}/usr/${CMAKE_INSTALL_LIBEXECDIR}/holdra/holdra-gui)
    check_program_symbols(${program} ${unpacked} "holdra[0-9]+StashStore")
  endforeach()
  check_program_symbols(${unpacked}/usr/${CMAKE_INSTALL_LIBEXECDIR}/holdra/holdra-audio.so ${unpacked}
                        "holdra[0-9]+CanberraSound")
  run(${DPKG_DEB} --field ${dbgsym} Package Depends)
  if(NOT last_output MATCHES "Package: holdra-dbgsym\nDepends: holdra \\(= ")
    message(FATAL_ERROR "unexpected debug-symbols package: ${last_output}")
  endif()
endfunction()

function(check_program_symbols program unpacked own_symbol)
  run(readelf --wide --sections ${program})
  if(last_output MATCHES " \\.symtab " OR last_output MATCHES " \\.debug_")
    message(FATAL_ERROR "the packaged program is not stripped:\n${last_output}")
  endif()
  run(readelf --notes ${program})
  if(NOT last_output MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
    message(FATAL_ERROR "the packaged program has no build id")
  endif()
  set(symbols ${unpacked}/usr/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
  if(NOT EXISTS ${symbols})
    message(FATAL_ERROR "holdra-dbgsym lacks ${symbols}")
  endif()
  run(readelf --wide --syms ${symbols})
  if(NOT last_output MATCHES "${own_symbol}")
    message(FATAL_ERROR "the debug symbols do not name Holdra's functions")
  endif()
  run(readelf --wide --dynamic --program-headers ${program})
  if(NOT last_output MATCHES "GNU_RELRO" OR NOT last_output MATCHES "BIND_NOW")
    message(FATAL_ERROR "the packaged program is not linked with -z relro -z now")
  endif()
  if(HARDENED)
    run(readelf --wide --dyn-syms ${program})
    # The audio module is built with the same flags but calls nothing that
    # _FORTIFY_SOURCE replaces.
    if(NOT last_output MATCHES "__stack_chk_fail"
       OR (NOT last_output MATCHES "__[a-z]+_chk@" AND NOT program MATCHES "holdra-audio\\.so$"))
      message(FATAL_ERROR "the packaged program lacks the stack protector or the fortified functions")
    endif()
  endif()
endfunction()

set(prefix ${SCRATCH}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(expected
    bin/holdra
    ${CMAKE_INSTALL_LIBEXECDIR}/holdra/holdra-gui
    # Loaded by holdra-gui from its own directory on the first sound, recording or playback.
    ${CMAKE_INSTALL_LIBEXECDIR}/holdra/holdra-audio.so
    share/applications/com.tessavel.Holdra.desktop
    share/metainfo/com.tessavel.Holdra.metainfo.xml
    share/icons/hicolor/scalable/apps/com.tessavel.Holdra.svg
    share/icons/hicolor/16x16/apps/com.tessavel.Holdra.png
    share/icons/hicolor/48x48/apps/com.tessavel.Holdra.png
    share/icons/hicolor/256x256/apps/com.tessavel.Holdra.png
    share/Thunar/sendto/com.tessavel.Holdra.desktop
    share/kio/servicemenus/com.tessavel.Holdra.desktop
    share/nemo/actions/com.tessavel.Holdra.nemo_action
    "share/holdra/nautilus-scripts/Send to Holdra"
    share/man/man1/holdra.1.gz
    share/bash-completion/completions/holdra
    share/zsh/vendor-completions/_holdra
    share/fish/vendor_completions.d/holdra.fish)
  if(NOT EXISTS "${prefix}/${expected}")
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()

# The installed `holdra` reaches the installed shelf: a start with a missing
# file is refused by the shelf itself, which `holdra` only starts.
execute_process(COMMAND ${prefix}/bin/holdra /nonexistent/holdra-layout-probe
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "没有这个文件或文件夹")
  message(FATAL_ERROR "the installed holdra does not start the installed shelf (${rc}): ${err}")
endif()

# The manual page must render without a warning, and each completion must parse in its shell.
find_program(MAN man)
if(MAN)
  execute_process(COMMAND ${MAN} --warnings -E UTF-8 -l ${prefix}/share/man/man1/holdra.1.gz
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE warnings)
  if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "the manual page does not render cleanly: ${warnings}")
  endif()
endif()
find_program(BASH bash)
if(BASH)
  run(${BASH} -n ${prefix}/share/bash-completion/completions/holdra)
endif()
find_program(ZSH zsh)
if(ZSH)
  run(${ZSH} -n ${prefix}/share/zsh/vendor-completions/_holdra)
endif()
find_program(FISH fish)
if(FISH)
  run(${FISH} --no-execute ${prefix}/share/fish/vendor_completions.d/holdra.fish)
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  run(${DESKTOP_FILE_VALIDATE} ${prefix}/share/applications/com.tessavel.Holdra.desktop)
endif()
# A MimeType= line would make Holdra the default application for whatever it
# lists on a desktop without defaults (folders, texts).
file(READ ${prefix}/share/applications/com.tessavel.Holdra.desktop entry)
if(entry MATCHES "(^|\n)MimeType=")
  message(FATAL_ERROR "the desktop entry declares MIME types")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  run(${APPSTREAMCLI} validate --no-net ${prefix}/share/metainfo/com.tessavel.Holdra.metainfo.xml)
endif()

find_program(DPKG_DEB dpkg-deb)
if(DPKG_DEB)
  run(cpack --config ${BUILD_DIR}/CPackConfig.cmake -B ${SCRATCH}/deb)
  file(GLOB debs ${SCRATCH}/deb/holdra_*.deb)
  file(GLOB dbgsyms ${SCRATCH}/deb/holdra-dbgsym_*.deb)
  file(GLOB all ${SCRATCH}/deb/*.deb ${SCRATCH}/deb/*.ddeb)
  list(LENGTH debs count)
  list(LENGTH all allCount)
  if(NOT count EQUAL 1 OR NOT allCount EQUAL 2 OR NOT dbgsyms)
    message(FATAL_ERROR "expected holdra and holdra-dbgsym, found: ${all}")
  endif()
  check_debug_symbols(${debs} ${dbgsyms})
  run(${DPKG_DEB} --field ${debs} Depends)
  # Linked libraries come from dpkg-shlibdeps, loaded modules from the list.
  foreach(dependency libqt6quick6 libc6 qml6-module-qtquick-controls gstreamer1.0-libav qt6-wayland)
    string(FIND "${last_output}" "${dependency}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the package does not depend on ${dependency}: ${last_output}")
    endif()
  endforeach()
  run(${DPKG_DEB} --field ${debs} Recommends)
  if(NOT last_output MATCHES "fonts-noto-cjk")
    message(FATAL_ERROR "the package does not recommend fonts-noto-cjk: ${last_output}")
  endif()
  find_program(LINTIAN lintian)
  if(LINTIAN)
    # Errors fail the test; warnings are printed for whoever reads the log.
    # Its hardening tags are warnings and infos; in a hardened build they fail the test too.
    # Accepted: debug-file-with-no-debug-symbols, when the build has no -g and
    # holdra-dbgsym holds the symbol table alone.
    execute_process(COMMAND ${LINTIAN} --fail-on error --display-info --tag-display-limit 0 ${debs} ${dbgsyms}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    message(STATUS "lintian:\n${out}${err}")
    if(NOT rc EQUAL 0 OR (HARDENED AND out MATCHES "hardening-"))
      message(FATAL_ERROR "lintian found errors:\n${out}${err}")
    endif()
  endif()
  run(${DPKG_DEB} --contents ${debs})
  foreach(path ./usr/bin/holdra ./usr/${CMAKE_INSTALL_LIBEXECDIR}/holdra/holdra-gui
               ./usr/${CMAKE_INSTALL_LIBEXECDIR}/holdra/holdra-audio.so ./usr/share/applications/com.tessavel.Holdra.desktop ./usr/share/metainfo/com.tessavel.Holdra.metainfo.xml
               ./usr/share/doc/holdra/copyright ./usr/share/doc/holdra/changelog.gz
               ./usr/share/icons/hicolor/symbolic/apps/holdra-symbolic.svg
               ./usr/share/man/man1/holdra.1.gz ./usr/share/bash-completion/completions/holdra)
    string(FIND "${last_output}" "${path}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the package lacks ${path}")
    endif()
  endforeach()
endif()
file(REMOVE_RECURSE ${SCRATCH})
