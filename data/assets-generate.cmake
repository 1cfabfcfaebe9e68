# Turns the lists of assets.cmake into the generated header and shell file, and
# gives the build the plain file lists:
#   VAULTRUN_PICTURE_FILES, VAULTRUN_SOUND_FILES  the file names, in list order
#   vaultrun_assets                               target: include dir of GameAssets.h
#   VAULTRUN_ASSETS_SH                            path of the shell file
set(generated_dir ${PROJECT_BINARY_DIR}/generated)

function(vaultrun_split_record record count out)
    string(REPLACE " " ";" fields "${record}")
    list(LENGTH fields length)
    if(NOT length EQUAL count)
        message(FATAL_ERROR "assets.cmake: \"${record}\" needs ${count} fields")
    endif()
    set(${out} ${fields} PARENT_SCOPE)
endfunction()

# PlayerGhostPicture -> PLAYER_GHOST_PICTURE, for the shell file.
function(vaultrun_shell_name name out)
    string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" snake "${name}")
    string(TOUPPER "${snake}" upper)
    set(${out} ${upper} PARENT_SCOPE)
endfunction()

set(VAULTRUN_PICTURE_FILES "")
set(picture_constants "")
set(picture_names "")
set(shell_names "")
foreach(record IN LISTS VAULTRUN_PICTURES)
    vaultrun_split_record("${record}" 5 fields)
    list(GET fields 0 name)
    list(GET fields 1 file)
    list(GET fields 2 width)
    list(GET fields 3 height)
    list(GET fields 4 look)
    if(look STREQUAL "masked")
        set(masked true)
    elseif(look STREQUAL "opaque")
        set(masked false)
    else()
        message(FATAL_ERROR "assets.cmake: ${file} must be masked or opaque, not ${look}")
    endif()
    list(APPEND VAULTRUN_PICTURE_FILES ${file})
    string(APPEND picture_constants
        "inline constexpr Picture k${name}{\"${file}\", ${width}, ${height}, ${masked}};\n")
    string(APPEND picture_names "    k${name},\n")
    vaultrun_shell_name(${name} shell_name)
    string(APPEND shell_names "VAULTRUN_${shell_name}=${file}\n")
endforeach()
list(LENGTH VAULTRUN_PICTURE_FILES picture_count)

set(VAULTRUN_SOUND_FILES "")
set(sound_constants "")
set(sound_names "")
foreach(record IN LISTS VAULTRUN_SOUNDS)
    vaultrun_split_record("${record}" 2 fields)
    list(GET fields 0 name)
    list(GET fields 1 file)
    list(APPEND VAULTRUN_SOUND_FILES ${file})
    string(APPEND sound_constants "inline constexpr Sound k${name}{\"${file}\"};\n")
    string(APPEND sound_names "    k${name},\n")
    vaultrun_shell_name(${name} shell_name)
    string(APPEND shell_names "VAULTRUN_${shell_name}=${file}\n")
endforeach()
list(LENGTH VAULTRUN_SOUND_FILES sound_count)

list(JOIN VAULTRUN_PICTURE_FILES " " VAULTRUN_PICTURE_WORDS)
list(JOIN VAULTRUN_SOUND_FILES " " VAULTRUN_SOUND_WORDS)

configure_file(${CMAKE_CURRENT_LIST_DIR}/GameAssets.h.in ${generated_dir}/GameAssets.h @ONLY)
set(VAULTRUN_ASSETS_SH ${generated_dir}/assets.sh)
configure_file(${CMAKE_CURRENT_LIST_DIR}/assets.sh.in ${VAULTRUN_ASSETS_SH} @ONLY)

add_library(vaultrun_assets INTERFACE)
target_include_directories(vaultrun_assets INTERFACE ${generated_dir})
