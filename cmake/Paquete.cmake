# What the installed program needs, and the Debian package made of it
# (scripts/package.sh): the program and its database tool in the package's
# own library folder, started through /usr/bin/quorumdesk; the SQL, the
# supplied formats, the demo data and the user guide are compiled into them,
# so nothing of the source tree is read at run time.
include(GNUInstallDirs)
set(QD_PAQUETE_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(QD_PAQUETE_ID es.zarvik.QuorumDesk)
set(QD_GENERADOS ${PROJECT_BINARY_DIR}/paquete)

install(TARGETS quorumdesk qd_creabd RUNTIME DESTINATION lib/quorumdesk)
install(PROGRAMS ${QD_PAQUETE_DIR}/quorumdesk.sh DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME quorumdesk)
install(FILES ${QD_PAQUETE_DIR}/${QD_PAQUETE_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/shell/quorumdesk.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)

# The metadata, the manual page and the changelog carry the version; the
# last two are compressed as Debian wants them (gzip -n: no time stamp, so a
# rebuild gives the same bytes).
configure_file(${QD_PAQUETE_DIR}/${QD_PAQUETE_ID}.metainfo.xml ${QD_GENERADOS}/${QD_PAQUETE_ID}.metainfo.xml @ONLY)
configure_file(${QD_PAQUETE_DIR}/quorumdesk.1 ${QD_GENERADOS}/quorumdesk.1 @ONLY)
configure_file(${QD_PAQUETE_DIR}/changelog ${QD_GENERADOS}/changelog @ONLY)
add_custom_command(OUTPUT ${QD_GENERADOS}/quorumdesk.1.gz ${QD_GENERADOS}/changelog.gz
  COMMAND gzip -9nkf ${QD_GENERADOS}/quorumdesk.1 ${QD_GENERADOS}/changelog
  DEPENDS ${QD_GENERADOS}/quorumdesk.1 ${QD_GENERADOS}/changelog)
add_custom_target(qd_paquete_docs ALL DEPENDS ${QD_GENERADOS}/quorumdesk.1.gz ${QD_GENERADOS}/changelog.gz)
install(FILES ${QD_GENERADOS}/${QD_PAQUETE_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QD_GENERADOS}/quorumdesk.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(QD_DOC ${CMAKE_INSTALL_DATADIR}/doc/quorumdesk)
install(FILES ${QD_GENERADOS}/changelog.gz ${QD_PAQUETE_DIR}/copyright ${PROJECT_SOURCE_DIR}/docs/guia-usuario.md
        DESTINATION ${QD_DOC})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/img DESTINATION ${QD_DOC} FILES_MATCHING PATTERN "*.png")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorumdesk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "juntas de comunidades de propietarios")
# The extended description; CPack puts the summary above it.
set(CPACK_PACKAGE_DESCRIPTION "QuorumDesk lleva las juntas de las comunidades de propietarios:
propietarios, fincas y coeficientes, convocatorias, asistencia,
votaciones ponderadas, cartas y actas, con planificador, calendario,
textos tipo, etiquetas y listados. Trabaja en un puesto o en varios
sobre un servidor Firebird.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zarvik Informática <soporte@zarvik-informatica.es>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.zarvik-informatica.es)
# The libraries the binaries link, as dpkg-shlibdeps finds them; then what
# they load at run time without linking it: the embedded engine's plugin and
# Qt's window-system plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-server-core, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-writer, libreoffice-calc, qt6-translations-l10n, fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
include(CPack)
