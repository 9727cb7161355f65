# Every .cpp and .h file of the product laid out as .clang-format says (clang-format --dry-run
# --Werror). Called by CTest with CLANG_FORMAT, SOURCE_DIR and FOLDERS (the build's folders, comma
# separated).
string(REPLACE "," ";" FOLDERS "${FOLDERS}")
set(files "")
foreach(folder ${FOLDERS})
  if(folder STREQUAL "tests" OR folder STREQUAL "bench")
    continue()  # not product code
  endif()
  file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  list(APPEND files ${found})
endforeach()
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "format check: no product files found under ${SOURCE_DIR}")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files} WORKING_DIRECTORY ${SOURCE_DIR}
                RESULT_VARIABLE result ERROR_VARIABLE report)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${report}\nformat check: run clang-format -i on the files above (.clang-format is the rule)")
endif()
message(STATUS "format check: ${count} files follow .clang-format")
