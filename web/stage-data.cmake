# Copies the game's data files from a native build's data folder (DATA) into
# a clean folder (STAGE) for packing: what the game reads (pictures, fonts,
# sounds, the level) and the licences that go with it, never a best time or
# settings left by a game played there, nor the build's own files.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(GLOB files LIST_DIRECTORIES false
    ${DATA}/*.png ${DATA}/*.gif ${DATA}/*.ttf ${DATA}/*.otf ${DATA}/*.wav ${DATA}/*.ogg
    ${DATA}/level1.txt ${DATA}/NOTICE ${DATA}/FONT-LICENCE ${DATA}/*LICENCE*)
list(REMOVE_DUPLICATES files)
if(NOT files)
    message(FATAL_ERROR "no game data in ${DATA}: build the native data first")
endif()
file(COPY ${files} DESTINATION ${STAGE})
