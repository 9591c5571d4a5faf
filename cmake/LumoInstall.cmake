# Installing Lumo on a freedesktop desktop, by the freedesktop and Debian
# conventions: the two programs, the menu entry, the icon at every size, the
# collection's file type, the thumbnailer, the AppStream metadata and the
# manual pages and the copyright notice. `cmake --install` and the Debian
# package both use these rules.

include(GNUInstallDirs)

# The one reverse-DNS id of the desktop entry, the icon, the file type's
# description and the AppStream component; data/ names its files after it.
set(LUMO_APP_ID jp.qxstudio.Lumo)

set(LUMO_ICON_THEME ${PROJECT_BINARY_DIR}/icons/hicolor)
add_custom_command(
    OUTPUT ${LUMO_ICON_THEME}/drawn
    COMMAND lumo_make_icons ${LUMO_ICON_THEME} ${LUMO_APP_ID}
    COMMAND ${CMAKE_COMMAND} -E touch ${LUMO_ICON_THEME}/drawn
    DEPENDS lumo_make_icons
    COMMENT "Drawing the application icon"
    VERBATIM)

# The manual pages of docs/man, installed compressed as Debian wants them.
file(GLOB LUMO_MANUAL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.1)
set(LUMO_MANUAL_PAGES)
foreach(source IN LISTS LUMO_MANUAL_SOURCES)
    get_filename_component(page ${source} NAME)
    set(copy ${PROJECT_BINARY_DIR}/man/${page})
    add_custom_command(
        OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND gzip -9nf ${copy}
        DEPENDS ${source}
        VERBATIM)
    list(APPEND LUMO_MANUAL_PAGES ${copy}.gz)
endforeach()

# Everything the installation holds, built without the tests.
add_custom_target(lumo_installed ALL DEPENDS lumo lumopic ${LUMO_ICON_THEME}/drawn ${LUMO_MANUAL_PAGES})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(data ${PROJECT_SOURCE_DIR}/data)
install(TARGETS lumo lumopic RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The metafile drawing, which both programs load from here the first time they draw a metafile.
if(LUMO_METAFILE_MODULE)
    install(TARGETS lumo_metafile_player LIBRARY DESTINATION ${LUMO_METAFILE_MODULE_DIR})
endif()
install(FILES ${data}/${LUMO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${LUMO_ICON_THEME}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
    FILES_MATCHING PATTERN "*.png" PATTERN "*.svg")
install(FILES ${data}/${LUMO_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME ${LUMO_APP_ID}.xml)
install(FILES ${data}/lumo.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(FILES ${data}/${LUMO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${LUMO_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${data}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumo)
