# The Debian package: the four programs, the service, the desktop entries and
# the maintainer scripts that create the service user and the station folder.
include(GNUInstallDirs)

set(TALVERO_PACOTE ${PROJECT_SOURCE_DIR}/pacote)
set(TALVERO_DOC ${CMAKE_INSTALL_DATAROOTDIR}/doc/autotalvero)

# The package's version, TALVERO_VERSAO_PACOTE, comes from VERSION (CMakeLists.txt).
# 2: the first package was 4.4.26-1, which compares equal to 4.04.26-1.
set(TALVERO_REVISAO_PACOTE 2)

install(TARGETS autotalvero talvero-dados talvero-pedido concentrador-sim
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TALVERO_PACOTE}/autotalvero.service DESTINATION /lib/systemd/system)
install(FILES ${TALVERO_PACOTE}/autotalvero.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${TALVERO_PACOTE}/autotalvero.desktop DESTINATION /etc/xdg/autostart)
install(FILES ${TALVERO_PACOTE}/copyright DESTINATION ${TALVERO_DOC})
# The templates of a station (AutoTalvero.INI and one CSV per register), written
# by the built `talvero-dados modelos` into the build tree (scripts/pacote).
# scripts/pacote checks that every one of them is in the package.
install(DIRECTORY ${CMAKE_BINARY_DIR}/pacote/modelos/ DESTINATION ${TALVERO_DOC} OPTIONAL)

# Debian wants them compressed at the highest level, without a time stamp.
function(talvero_gzip origem destino)
    add_custom_command(OUTPUT ${destino}
        COMMAND gzip -9 -n -c ${origem} > ${destino}
        DEPENDS ${origem} VERBATIM)
endfunction()

set(gerados)
configure_file(${TALVERO_PACOTE}/changelog.in ${CMAKE_BINARY_DIR}/pacote/changelog.Debian @ONLY)
talvero_gzip(${CMAKE_BINARY_DIR}/pacote/changelog.Debian ${CMAKE_BINARY_DIR}/pacote/changelog.Debian.gz)
list(APPEND gerados ${CMAKE_BINARY_DIR}/pacote/changelog.Debian.gz)
install(FILES ${CMAKE_BINARY_DIR}/pacote/changelog.Debian.gz DESTINATION ${TALVERO_DOC})
# The pages name the version as @TALVERO_VERSAO@, or @TALVERO_VERSAO_MAN@ (the hyphen
# escaped for troff) in running text.
string(REPLACE "-" "\\-" TALVERO_VERSAO_MAN ${TALVERO_VERSAO})
file(GLOB paginas ${TALVERO_PACOTE}/man/*.1)
foreach(pagina ${paginas})
    get_filename_component(nome ${pagina} NAME)
    configure_file(${pagina} ${CMAKE_BINARY_DIR}/pacote/${nome} @ONLY)
    talvero_gzip(${CMAKE_BINARY_DIR}/pacote/${nome} ${CMAKE_BINARY_DIR}/pacote/${nome}.gz)
    list(APPEND gerados ${CMAKE_BINARY_DIR}/pacote/${nome}.gz)
    install(FILES ${CMAKE_BINARY_DIR}/pacote/${nome}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(pacote_arquivos ALL DEPENDS ${gerados})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME autotalvero)
set(CPACK_PACKAGE_VENDOR Talvero)
set(CPACK_PACKAGE_VERSION ${TALVERO_VERSAO_PACOTE})
set(CPACK_PACKAGE_CONTACT "Seed f05a04a9 maintainers <maintainers@users.noreply.c-seed-f05a04a9.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fuel station automation agent")
set(CPACK_PACKAGE_DESCRIPTION
    "AutoTalvero talks to the station's pump-automation concentrator, stores\n"
    "each finished fueling in the station database and only then acknowledges\n"
    "it. It runs as the autotalvero service or in a desktop session. The\n"
    "package also holds talvero-dados (schema, registers, listings),\n"
    "talvero-pedido (requests from the other station programs) and\n"
    "concentrador-sim (a concentrator simulator).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TALVERO_REVISAO_PACOTE})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins Qt loads at run time, which no library link shows.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${TALVERO_PACOTE}/postinst ${TALVERO_PACOTE}/prerm ${TALVERO_PACOTE}/postrm ${TALVERO_PACOTE}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
