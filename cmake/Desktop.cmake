# What makes the program a desktop citizen: the launcher, the icons (PNG sizes
# rendered from the one SVG at build time), the symbolic tray icon, the
# AppStream data and the help page, which the build tree also holds beside the
# program (build/share/doc/tracesweep), so a program run from there finds it.

find_program(RSVG_CONVERT rsvg-convert REQUIRED)

set(ts_icon_svg ${PROJECT_SOURCE_DIR}/data/icons/tracesweep.svg)
set(ts_icon_pngs "")
foreach(size 16 22 24 32 48 64 128 256)
  set(dir ${PROJECT_BINARY_DIR}/share/icons/hicolor/${size}x${size}/apps)
  add_custom_command(
    OUTPUT ${dir}/tracesweep.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --keep-aspect-ratio
            --output=${dir}/tracesweep.png ${ts_icon_svg}
    DEPENDS ${ts_icon_svg}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND ts_icon_pngs ${dir}/tracesweep.png)
  install(FILES ${dir}/tracesweep.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(ts_icons ALL DEPENDS ${ts_icon_pngs})

install(FILES ${ts_icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/tracesweep-symbolic.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/tracesweep.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

set(ts_metainfo ${PROJECT_BINARY_DIR}/share/metainfo/uk.co.norrick.Tracesweep.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/data/uk.co.norrick.Tracesweep.metainfo.xml.in ${ts_metainfo}
               @ONLY)
install(FILES ${ts_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

configure_file(${PROJECT_SOURCE_DIR}/docs/help/help.html
               ${PROJECT_BINARY_DIR}/share/doc/tracesweep/help.html COPYONLY)
install(FILES ${PROJECT_SOURCE_DIR}/docs/help/help.html DESTINATION ${CMAKE_INSTALL_DOCDIR})
