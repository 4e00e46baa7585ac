# movra_keep_debug_info_aside(<target>): after every link of <target>, moves its debugging
# information into <program>.debug beside it and leaves a link to that file in the program.
# Windows does not map a program's debugging sections, but Wine reads every section of the image
# into memory at each start: tens of megabytes of them made each start of Palvex.exe some 100 ms
# slower than the same program without them. Debuggers find the information through the link.
# Call it before anything that appends data to the program file.
function(movra_keep_debug_info_aside target)
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "movra_keep_debug_info_aside: no objcopy for the target")
  endif()
  set(program $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${program} ${program}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=${program}.debug ${program}
    COMMENT "Moving the debugging information of ${target} beside it"
    VERBATIM)
endfunction()
