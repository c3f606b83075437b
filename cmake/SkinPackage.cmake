# ui_embed_skin(<target> [SKIN_DIR <dir>] [ID <id>])
# Packs every file below SKIN_DIR (default: the repository's skin/) into a deflate zip, names
# relative to that folder ("MainFrame.xml", "Lang/English/MainFrame.lng"), and embeds it into
# the executable <target> as module resource "ZIPRES"/<id> (default 130). The zip is remade
# whenever a skin file changes, is added or is removed.
function(ui_embed_skin target)
    cmake_parse_arguments(ARG "" "SKIN_DIR;ID" "" ${ARGN})
    if(NOT ARG_SKIN_DIR)
        set(ARG_SKIN_DIR "${PROJECT_SOURCE_DIR}/skin")
    endif()
    if("${ARG_ID}" STREQUAL "")
        set(ARG_ID 130)
    endif()
    get_filename_component(skin_dir "${ARG_SKIN_DIR}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    file(GLOB_RECURSE skin_files CONFIGURE_DEPENDS RELATIVE "${skin_dir}" "${skin_dir}/*")
    list(SORT skin_files)
    if(NOT skin_files)
        message(FATAL_ERROR "ui_embed_skin(${target}): no files below ${skin_dir}")
    endif()
    set(absolute_files)
    foreach(f IN LISTS skin_files)
        list(APPEND absolute_files "${skin_dir}/${f}")
    endforeach()
    set(zip "${CMAKE_CURRENT_BINARY_DIR}/${target}_skin.zip")
    # cmake -E tar writes zip entries with deflate; the archive is rebuilt from scratch.
    add_custom_command(
        OUTPUT "${zip}"
        COMMAND ${CMAKE_COMMAND} -E rm -f "${zip}"
        COMMAND ${CMAKE_COMMAND} -E tar cf "${zip}" --format=zip -- ${skin_files}
        WORKING_DIRECTORY "${skin_dir}"
        DEPENDS ${absolute_files}
        COMMENT "Packing the skin for ${target}"
        VERBATIM)
    add_custom_target(${target}_skin_zip DEPENDS "${zip}")
    ui_embed_resource(${target} FILE "${zip}" TYPE ZIPRES ID ${ARG_ID} DEPENDS ${target}_skin_zip)
endfunction()
