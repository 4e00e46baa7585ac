# Palvex.exe, the desktop program: its body, its resources and its message catalogs.

# The pictures are drawn at build time from the source art in images/draw_images.py.
set(palvex_image_dir ${CMAKE_CURRENT_BINARY_DIR}/images)
set(palvex_images ${palvex_image_dir}/icons.bmp ${palvex_image_dir}/states.bmp
                  ${palvex_image_dir}/tray.bmp ${palvex_image_dir}/palvex.ico)
add_custom_command(OUTPUT ${palvex_images}
  COMMAND ${MOVRA_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/images/draw_images.py ${palvex_image_dir}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/images/draw_images.py
  COMMENT "Drawing the Palvex images"
  VERBATIM)
add_custom_target(palvex_images DEPENDS ${palvex_images})
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/palvex.rc PROPERTIES
  OBJECT_DEPENDS "${palvex_images}")

add_executable(Palvex WIN32 main.cpp palvex.rc)
add_dependencies(Palvex palvex_images)
target_include_directories(Palvex PRIVATE ${palvex_image_dir})
target_link_libraries(Palvex PRIVATE movra_app movra_toolbars)
target_link_options(Palvex PRIVATE -municode)
movra_use_skin_glyphs(Palvex ${CMAKE_CURRENT_SOURCE_DIR}/palvex.rc)
movra_keep_debug_info_aside(Palvex)
movra_append_catalogs(Palvex LANGUAGES de ru)
