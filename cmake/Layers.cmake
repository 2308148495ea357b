# Each layer of the engine (and the base) is a target whose headers are reached only through an
# include folder of its own in the build tree, holding one link named after the layer. A source
# includes "io/File.h", "formats/Formats.h", …; it finds the header only when its target links
# that layer, so an include against the layers fails to build.
set(ZENDRA_LAYERS ${CMAKE_BINARY_DIR}/layers)

# zendra_layer(TARGET NAME): TARGET's headers in its source folder, included as "NAME/X.h".
function(zendra_layer target name)
    set(root ${ZENDRA_LAYERS}/${target})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# zendra_layer_headers(TARGET NAME HEADERS…): only these headers of the folder, as "NAME/X.h",
# for a layer that shares its folder with the layers below it.
function(zendra_layer_headers target name)
    set(root ${ZENDRA_LAYERS}/${target})
    file(MAKE_DIRECTORY ${root}/${name})
    foreach(header ${ARGN})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${name}/${header} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
