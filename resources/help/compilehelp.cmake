# Compiles the help pages with chmcmd, run as `cmake -P` by the build.
# chmcmd reads the pages beside its project file and writes the compiled file into its working
# folder, so the pages and the icon are gathered in one staging folder first and nothing is written
# into the source tree. It reports some failures (a project file it cannot find) with exit code 0,
# so success is judged by the file it leaves behind.
foreach(var CHMCMD PROJECT_FILE SOURCES STAGING OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "compilehelp.cmake needs -D${var}=...")
    endif()
endforeach()

file(REMOVE_RECURSE ${STAGING})
file(MAKE_DIRECTORY ${STAGING})
file(COPY ${SOURCES} DESTINATION ${STAGING})

get_filename_component(compiled_name ${OUTPUT} NAME)
file(REMOVE ${STAGING}/${compiled_name} ${OUTPUT})
execute_process(
    COMMAND ${CHMCMD} --verbosity 1 ${PROJECT_FILE}
    WORKING_DIRECTORY ${STAGING}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS ${STAGING}/${compiled_name} OR output MATCHES "Warning|Error")
    message(FATAL_ERROR "chmcmd could not compile the help (exit code ${result}):\n${output}")
endif()
file(RENAME ${STAGING}/${compiled_name} ${OUTPUT})
