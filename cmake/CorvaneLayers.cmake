# One library per subsystem, linked in the order of the layers (platform <- feedstore <- retrieval <-
# itempage, dialogs <- view <- folder <- server). A subsystem's headers are reachable only through an
# include root of its own that holds nothing but a link to its folder, and that root reaches a target
# only through the libraries it links: an include that runs up the layers finds no file.

function(corvane_include_root target folder scope)
    set(root ${PROJECT_BINARY_DIR}/include/${folder})
    if(NOT EXISTS ${root}/${folder})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} ${scope} ${root})
endfunction()

# The portable half of subsystem `folder`: corvane_add_subsystem(corvane_feedstore feedstore
# SOURCES a.cpp ... LINKS corvane_platform). LINKS are the layers directly below, linked PUBLIC
# because the subsystem's headers include theirs.
function(corvane_add_subsystem target folder)
    cmake_parse_arguments(arg "" "" "SOURCES;LINKS" ${ARGN})
    add_library(${target} STATIC ${arg_SOURCES})
    corvane_include_root(${target} ${folder} PUBLIC)
    target_link_libraries(${target} PUBLIC corvane_warnings corvane_win32_api ${arg_LINKS})
endfunction()

# The Win32 half of a subsystem (its shell objects), for Windows builds only: it links its own
# portable half and the Win32 halves below it. Until the half has sources it only carries its links.
function(corvane_add_shell_half target)
    cmake_parse_arguments(arg "" "" "SOURCES;LINKS" ${ARGN})
    if(arg_SOURCES)
        add_library(${target} STATIC ${arg_SOURCES})
        target_link_libraries(${target} PUBLIC ${arg_LINKS})
    else()
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE ${arg_LINKS})
    endif()
endfunction()
