# dravonix_embed_files(target FILES f1 f2 ...): compiles each file's bytes into `target`. The
# generated header "<target>_embedded.h" declares, per file,
#   extern const unsigned char embedded_<name>[];  constexpr unsigned int embedded_<name>_size;
# where <name> is the file name with every character outside [A-Za-z0-9] turned into `_`
# (ModuleIcon.png -> embedded_ModuleIcon_png), so resource tables can be constant data. The arrays
# are hidden symbols: a plug-in always sees its own bytes even when the kernel embeds a file of the
# same name.
set(DRAVONIX_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedFile.cmake CACHE INTERNAL "")

function(dravonix_embed_files target)
  cmake_parse_arguments(A "" "" "FILES" ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/embedded/${target})
  set(header ${dir}/${target}_embedded.h)
  set(inputs "")
  set(outs ${header})
  set(inputlist "")
  foreach(f ${A_FILES})
    get_filename_component(abs ${f} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(base ${abs} NAME)
    string(MAKE_C_IDENTIFIER "${base}" ident)
    list(APPEND inputs ${abs})
    list(APPEND outs ${dir}/embedded_${ident}.cpp)
    string(APPEND inputlist "${abs}|")
  endforeach()
  add_custom_command(OUTPUT ${outs}
    COMMAND ${CMAKE_COMMAND} -DDIR=${dir} -DHEADER=${header} -DINPUTS=${inputlist} -P ${DRAVONIX_EMBED_SCRIPT}
    DEPENDS ${inputs} ${DRAVONIX_EMBED_SCRIPT}
    COMMENT "Embedding files into ${target}" VERBATIM)
  target_sources(${target} PRIVATE ${outs})
  target_include_directories(${target} PRIVATE ${dir})
endfunction()
