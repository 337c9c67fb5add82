# What `cmake --install` puts where, and the Debian package (scripts/package).
include(GNUInstallDirs)

install(TARGETS tarvex tarvex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program finds its defaults at ../share/tarvex from its bin folder.
install(DIRECTORY ${TARVEX_STAGE_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvex)
install(FILES data/desktop/tarvex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/desktop/tarvex.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# The hicolor icons, drawn by the program's own routine at every size.
set(TARVEX_ICON_SIZES 16 22 24 32 48 64 128 256)
set(TARVEX_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(icon_files)
foreach(size ${TARVEX_ICON_SIZES})
  list(APPEND icon_files ${TARVEX_ICON_DIR}/hicolor/${size}x${size}/apps/tarvex.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND tarvex-icons ${TARVEX_ICON_DIR}/hicolor ${TARVEX_ICON_SIZES}
  DEPENDS tarvex-icons
  COMMENT "Drawing the program's icons")
add_custom_target(program_icons ALL DEPENDS ${icon_files})
install(DIRECTORY ${TARVEX_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvex)
set(CPACK_PACKAGE_VENDOR "Tarvex")
set(CPACK_PACKAGE_CONTACT "Tarvex 开发组 <tarvex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "门窗、幕墙材料统计与报价 / quotations for door, window and curtain-wall makers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Tarvex 读入设计软件生成的门窗材料数据 (.xdt)，结合企业自己的价格库，
计算每平方米单价和工程总价，生成可打印的报价单 (PDF) 和电子表格 (xlsx)；
另有门窗图库。tarvex-cli 提供批处理命令。

Tarvex loads the material take-off of a door, window or curtain-wall
project (.xdt), joins it with the firm's price tables and produces priced
quotations as printable pages (PDF) and spreadsheet workbooks (xlsx). It
also keeps a drawing library of window templates. tarvex-cli offers the
same work as batch commands.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
