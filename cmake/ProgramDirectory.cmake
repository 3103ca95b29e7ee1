# `cmake --install <build> --prefix <dir>` lays out a program directory that runs as it is: the
# two programs, the player module, Config.cfg, the lobby's Update.cfg, the movie folder, a
# .desktop file and the icon.
set(ZEMBA_LOBBY_VERSION "1.0.1" CACHE STRING "Version written to the installed lobby's Update.cfg")
set(ZEMBA_UPDATE_URL "http://update.zemba.com" CACHE STRING "Update server written to the installed Config.cfg")
set(ZEMBA_UPDATE_KEYS "" CACHE FILEPATH
  "Trusted update keys, installed as UpdateKeys.pub beside Vendrel (empty: updates are not authenticated)")
set(ZEMBA_PROPOSAL_URL "http://www.zemba.com/proposal" CACHE STRING "Proposal page of the installed Config.cfg")
set(ZEMBA_SERVICE_URL "http://www.zemba.com/service" CACHE STRING "Customer-service page of the installed Config.cfg")

set(_install_dir ${PROJECT_SOURCE_DIR}/resources/lobby/install)
configure_file(${_install_dir}/Config.cfg.in ${PROJECT_BINARY_DIR}/program/Config.cfg @ONLY)
configure_file(${_install_dir}/Update.cfg.in ${PROJECT_BINARY_DIR}/program/Update.cfg @ONLY)

foreach(_program Quorvane Vendrel)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION .)
  endif()
endforeach()
if(TARGET quorvane-player)
  install(TARGETS quorvane-player LIBRARY DESTINATION .)
endif()
install(FILES ${PROJECT_BINARY_DIR}/program/Config.cfg ${PROJECT_BINARY_DIR}/program/Update.cfg
  DESTINATION .)
if(ZEMBA_UPDATE_KEYS)
  install(FILES ${ZEMBA_UPDATE_KEYS} DESTINATION . RENAME UpdateKeys.pub)
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/movie/index.html)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/movie/ DESTINATION movie)
else()
  install(DIRECTORY ${_install_dir}/placeholder-movie/ DESTINATION movie)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/resources/lobby/icon/128.png DESTINATION . RENAME quorvane.png)
# Adds the lobby to the user's application menu and removes it again, on request only.
install(PROGRAMS ${_install_dir}/menu-entry.sh DESTINATION .)
# The .desktop file names the program by its installed, absolute place.
install(CODE "
  set(PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${_install_dir}/Quorvane.desktop.in\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Quorvane.desktop\" @ONLY)
")
