# What puts a program of the suite on the desktop and documents it, made the
# same way for each. The files live in data/<program>/:
#   <program>.desktop                    the menu entry
#   icons/<program>.svg                  the drawing, installed as the scalable icon
#   icons/<program>-<size>.png           its renderings (scripts/render-icons.sh)
#   org.zentrio.<program>.metainfo.xml   the AppStream description for software centres
#   <program>.<section>                  the manual page, installed compressed

# The hicolor sizes every program ships; keep in step with scripts/render-icons.sh.
set(ZENTRIO_ICON_SIZES 16 22 24 32 48 64 128 256)

function(install_desktop_files program man_section)
  set(source ${PROJECT_SOURCE_DIR}/data/${program})
  install(FILES ${source}/${program}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${source}/org.zentrio.${program}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  set(theme ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${source}/icons/${program}.svg DESTINATION ${theme}/scalable/apps)
  foreach(size IN LISTS ZENTRIO_ICON_SIZES)
    install(FILES ${source}/icons/${program}-${size}.png
            DESTINATION ${theme}/${size}x${size}/apps RENAME ${program}.png)
  endforeach()

  install_compressed(${source}/${program}.${man_section} ${CMAKE_INSTALL_MANDIR}/man${man_section})
endfunction()

# Installs `file` gzip-compressed into `destination`, as Debian wants manual
# pages and changelogs: gzip at its best, with no name or time stamp, so two
# builds give the same bytes. Compressed when CMake configures (and again
# whenever the file changes), so no build target is needed.
function(install_compressed file destination)
  get_filename_component(name ${file} NAME)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  execute_process(COMMAND gzip -9 -n -c ${file} OUTPUT_FILE ${compressed} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot compress ${file}")
  endif()
  install(FILES ${compressed} DESTINATION ${destination})
endfunction()
