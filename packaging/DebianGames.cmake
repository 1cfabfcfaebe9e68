# Run by CPack on the staged files before the Debian package is made: Debian
# keeps the programs of a game in /usr/games, not /usr/bin. The launcher finds
# the game and its data relative to itself, and games/ sits beside bin/.
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${usr}/bin")
    message(FATAL_ERROR "no programs staged in ${usr}/bin")
endif()
file(RENAME "${usr}/bin" "${usr}/games")
