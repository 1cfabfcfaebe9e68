# Copies the level into the data folder when the source tree has one and it
# differs; run at every build so that a level added or edited later arrives
# without re-running CMake. Never touches anything else in the folder.
if(EXISTS "${SOURCE}")
    configure_file("${SOURCE}" "${DESTINATION}" COPYONLY)
endif()
