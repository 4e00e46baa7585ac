# Message catalogs: compiled from i18n/po/<language>.po with msgfmt, and appended to a program
# file after it is linked, so that the program carries its translations inside itself.
find_program(MOVRA_MSGFMT msgfmt REQUIRED)
find_program(MOVRA_PYTHON3 python3 REQUIRED)

set(MOVRA_CATALOG_DIR ${CMAKE_BINARY_DIR}/catalogs CACHE INTERNAL "Compiled message catalogs")
set(MOVRA_CATALOG_TOOL ${CMAKE_CURRENT_LIST_DIR}/tools/append_catalogs.py CACHE INTERNAL "")

# The languages with a catalog source i18n/po/<language>.po.
set(MOVRA_CATALOG_LANGUAGES de ru CACHE INTERNAL "")
set(movra_mo_files)
foreach(language IN LISTS MOVRA_CATALOG_LANGUAGES)
  set(po ${CMAKE_CURRENT_LIST_DIR}/po/${language}.po)
  set(mo ${MOVRA_CATALOG_DIR}/${language}/default.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MOVRA_CATALOG_DIR}/${language}
    COMMAND ${MOVRA_MSGFMT} --check -o ${mo} ${po}
    DEPENDS ${po}
    COMMENT "Compiling the ${language} message catalog"
    VERBATIM)
  list(APPEND movra_mo_files ${mo})
endforeach()
add_custom_target(movra_catalogs ALL DEPENDS ${movra_mo_files})

# movra_append_catalogs(<target> LANGUAGES de ru): after every link of <target>, appends the
# catalogs of those languages as locale\<language>\LC_MESSAGES\default.mo.
function(movra_append_catalogs target)
  cmake_parse_arguments(A "" "" "LANGUAGES" ${ARGN})
  set(args)
  set(mos)
  foreach(language IN LISTS A_LANGUAGES)
    set(mo ${MOVRA_CATALOG_DIR}/${language}/default.mo)
    if(NOT language IN_LIST MOVRA_CATALOG_LANGUAGES)
      message(FATAL_ERROR "movra_append_catalogs: no catalog for the language ${language}")
    endif()
    list(APPEND args --catalog ${language}=${mo})
    list(APPEND mos ${mo})
  endforeach()
  add_dependencies(${target} movra_catalogs)
  # A changed catalog links the program again, which appends the catalogs again.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${mos})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${MOVRA_PYTHON3} ${MOVRA_CATALOG_TOOL} --program $<TARGET_FILE:${target}> ${args}
    COMMENT "Appending message catalogs to ${target}"
    VERBATIM)
endfunction()
