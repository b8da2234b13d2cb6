# Installs the component "desktop" into a fresh folder and checks what a desktop finds
# there: the program with its language modules in its module folder, the menu entry,
# the software centre's description, the manual page, and the icon as shapes and as
# bitmaps of the size their folders name.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                        --component desktop
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(entry ${PREFIX}/${DATADIR}/applications/pacetta.desktop)
foreach(file ${PREFIX}/${BINDIR}/pacetta ${PREFIX}/${MODULEDIR}/Pacetta1031.so ${entry}
        ${PREFIX}/${DATADIR}/metainfo/com.norvane.pacetta.metainfo.xml
        ${PREFIX}/${MANDIR}/man1/pacetta.1
        ${PREFIX}/${DATADIR}/icons/hicolor/scalable/apps/pacetta.svg)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

foreach(size 16 32 48 64 128 256)
  set(png ${PREFIX}/${DATADIR}/icons/hicolor/${size}x${size}/apps/pacetta.png)
  if(NOT EXISTS ${png})
    message(FATAL_ERROR "not installed: ${png}")
  endif()
  # The PNG signature, then the IHDR chunk's length and type, then width and height.
  file(READ ${png} header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 signature)
  string(SUBSTRING "${header}" 32 8 width)
  string(SUBSTRING "${header}" 40 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "${png} is no ${size} x ${size} PNG (${signature}, ${width} x ${height})")
  endif()
endforeach()

file(STRINGS ${entry} exec REGEX "^Exec=")
file(STRINGS ${entry} icon REGEX "^Icon=")
if(NOT exec STREQUAL "Exec=pacetta" OR NOT icon STREQUAL "Icon=pacetta")
  message(FATAL_ERROR "the menu entry starts '${exec}' with '${icon}'")
endif()
if(VALIDATE)
  execute_process(COMMAND ${VALIDATE} ${entry} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate refuses ${entry}")
  endif()
endif()

# The installed program finds the module in its module folder, not beside itself.
if(EXISTS ${PREFIX}/${BINDIR}/Pacetta1031.so)
  message(FATAL_ERROR "a language module was installed beside the program")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL= LC_MESSAGES= LANG=de_DE.UTF-8
                        XDG_CONFIG_HOME=${PREFIX}/config PACETTA_RUNTIME_DIR=${PREFIX}/runtime
                        ${PREFIX}/${BINDIR}/pacetta --simulate --console -help
                RESULT_VARIABLE result OUTPUT_VARIABLE help ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT help MATCHES "Pacetta-Befehlszeilenoptionen")
  message(FATAL_ERROR "the installed program speaks no German (${result}):\n${help}${errors}")
endif()
