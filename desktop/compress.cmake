# cmake -DSOURCE=<file> -DTARGET=<file.gz> -DGZIP=<gzip> -P compress.cmake
# gzip -9n: no name or time stamp in the header, so the same page always gives the same file.
execute_process(COMMAND ${GZIP} -9 -n -c ${SOURCE} OUTPUT_FILE ${TARGET} RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${TARGET})
  message(FATAL_ERROR "cannot compress ${SOURCE}")
endif()
