# Helpers that keep the per-folder CMake files short: a subsystem folder is one
# static library of every .cpp file in it, a tests folder one GoogleTest executable.

# eldravin_subsystem(<name> <folder> DEPS <targets...>)
# Makes the library eldravin_<name> from <folder>/*.cpp (recursively). A folder
# without sources yet becomes an interface library, so that the layers above can
# always name it.
function(eldravin_subsystem name folder)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE _sources CONFIGURE_DEPENDS "${folder}/*.cpp")
  set(_target eldravin_${name})
  if(_sources)
    add_library(${_target} STATIC ${_sources})
    target_include_directories(${_target} PUBLIC "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${_target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    add_library(${_target} INTERFACE)
    target_include_directories(${_target} INTERFACE "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${_target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# eldravin_embed_resources(<target> <folder>)
# Embeds every file below <folder> into <target>: <folder>/<TYPE>/<NAME>[.ext]
# becomes the resource NAME of type TYPE.
function(eldravin_embed_resources target folder)
  file(GLOB_RECURSE _files CONFIGURE_DEPENDS LIST_DIRECTORIES false "${folder}/*")
  set(_out "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
  set(_list "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.txt")
  string(REPLACE ";" "\n" _content "${_files}")
  file(WRITE "${_list}.new" "${_content}\n")
  file(COPY_FILE "${_list}.new" "${_list}" ONLY_IF_DIFFERENT)
  add_custom_command(
    OUTPUT "${_out}"
    COMMAND eldravin_embed "${folder}" "${_list}" "${_out}"
    DEPENDS eldravin_embed "${_list}" ${_files}
    COMMENT "Embedding resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${_out}")
endfunction()

# eldravin_test_dir(<folder> LIBS <targets...>)
# One GoogleTest executable of every .cpp file in the folder, its tests known to CTest.
function(eldravin_test_dir folder)
  cmake_parse_arguments(ARG "" "RESOURCES" "LIBS" ${ARGN})
  file(RELATIVE_PATH _rel "${CMAKE_SOURCE_DIR}/tests" "${folder}")
  string(REPLACE "/" "_" _name "${_rel}")
  set(_target test_${_name})
  file(GLOB _sources CONFIGURE_DEPENDS "${folder}/*.cpp")
  add_executable(${_target} ${_sources})
  target_link_libraries(${_target} PRIVATE eldravin_testing ${ARG_LIBS})
  target_include_directories(${_target} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
  if(ARG_RESOURCES)
    eldravin_embed_resources(${_target} "${ARG_RESOURCES}")
  endif()
  gtest_discover_tests(${_target}
    DISCOVERY_MODE PRE_TEST
    TEST_PREFIX "${_rel}/"
    PROPERTIES TIMEOUT 300)
endfunction()

# eldravin_spelling_data(<target>)
# Puts the spelling systems (descriptions and lexicons of resources/spelling)
# beside the target's executable, in the folder "Orthographe", where the program
# reads them from.
function(eldravin_spelling_data target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_directory
            "${CMAKE_SOURCE_DIR}/resources/spelling/Orthographe" "$<TARGET_FILE_DIR:${target}>/Orthographe"
    VERBATIM)
endfunction()

# eldravin_hyphenation_data(<target>)
# Puts the hyphenation data file, built once from Debian's hyphenation
# patterns (French, American English, German), beside the target's
# executable: the program reads it from its own folder.
set(ELDRAVIN_HYPHEN_DIR "/usr/share/hyphen" CACHE PATH "Folder of the hyphenation pattern files")
function(eldravin_hyphenation_data target)
  set(_out "${CMAKE_BINARY_DIR}/hyphenation/Coupe de mots.dat")
  if(NOT TARGET eldravin_hyphenation_file)
    set(_inputs)
    set(_args)
    foreach(_pair "12=hyph_fr.dic" "9=hyph_en_US.dic" "7=hyph_de_DE.dic")
      string(REPLACE "=" ";" _parts "${_pair}")
      list(GET _parts 0 _lang)
      list(GET _parts 1 _file)
      set(_path "${ELDRAVIN_HYPHEN_DIR}/${_file}")
      if(NOT EXISTS "${_path}")
        message(FATAL_ERROR "${_path} is missing: run scripts/deps.sh (packages hyphen-fr, hyphen-en-us, hyphen-de)")
      endif()
      list(APPEND _inputs "${_path}")
      list(APPEND _args "${_lang}=${_path}")
    endforeach()
    set(_tool "${CMAKE_SOURCE_DIR}/tools/make_hyphenation_data.py")
    add_custom_command(OUTPUT "${_out}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/hyphenation"
      COMMAND Python3::Interpreter "${_tool}" "${_out}" ${_args}
      DEPENDS "${_tool}" ${_inputs}
      VERBATIM)
    add_custom_target(eldravin_hyphenation_file DEPENDS "${_out}")
  endif()
  add_dependencies(${target} eldravin_hyphenation_file)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${_out}" "$<TARGET_FILE_DIR:${target}>/Coupe de mots.dat"
    VERBATIM)
endfunction()

# eldravin_setup_payload(<setup target> <program target> <output>)
# Makes <output>: the setup program's image followed by the payload of the
# installed tree of the program (the program, its hyphenation data, the
# French and English spelling systems, the licence and read-me texts, and the
# templates, examples and clip library folders of resources/setup when they
# exist). A manifest <output>.manifest lists each file's source.
function(eldravin_setup_payload setup_target program_target output)
  set(_tool "${CMAKE_SOURCE_DIR}/tools/make_setup_payload.py")
  set(_spelling "${CMAKE_SOURCE_DIR}/resources/spelling/Orthographe")
  set(_setup "${CMAKE_SOURCE_DIR}/resources/setup")
  set(_hyph "${CMAKE_BINARY_DIR}/hyphenation/Coupe de mots.dat")
  set(_args "eldravin=$<TARGET_FILE:${program_target}>" "Coupe de mots.dat=${_hyph}")
  set(_deps "${_tool}" "${_hyph}")
  foreach(_f "Francais.esc" "Anglais US.esc" "Anglais GB.esc")
    list(APPEND _args "${_f}=${_spelling}/${_f}")
    list(APPEND _deps "${_spelling}/${_f}")
  endforeach()
  foreach(_f "fr_FR.hlx" "en_US.hlx" "en_GB.hlx")
    list(APPEND _args "${_f}=${_spelling}/Lex/${_f}")
    list(APPEND _deps "${_spelling}/Lex/${_f}")
  endforeach()
  foreach(_f "Licence.txt" "Lisez-moi.txt")
    list(APPEND _args "${_f}=${_setup}/${_f}")
    list(APPEND _deps "${_setup}/${_f}")
  endforeach()
  foreach(_tree "Modèles de document" "Exemples" "Collections d'inserts")
    if(IS_DIRECTORY "${_setup}/${_tree}")
      file(GLOB_RECURSE _files CONFIGURE_DEPENDS "${_setup}/${_tree}/*")
      list(APPEND _deps ${_files})
      list(APPEND _args "--tree" "${_tree}\\=${_setup}/${_tree}")
    endif()
  endforeach()
  add_custom_command(OUTPUT "${output}"
    COMMAND Python3::Interpreter "${_tool}" --output "${output}" --image "$<TARGET_FILE:${setup_target}>"
            --manifest "${output}.manifest" ${_args}
    DEPENDS ${_deps} ${setup_target} ${program_target}
    COMMENT "Appending the payload to the setup program"
    VERBATIM)
  add_custom_target(${setup_target}_payload ALL DEPENDS "${output}")
  if(TARGET eldravin_hyphenation_file)
    add_dependencies(${setup_target}_payload eldravin_hyphenation_file)
  endif()
endfunction()
