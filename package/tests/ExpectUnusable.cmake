# cmake -DTOOL=<package_check> -DFOLDER=<package folder> -DEXPECTED=<reason> [-DEMULATOR=<wine>]
#       -P ExpectUnusable.cmake
execute_process(COMMAND ${EMULATOR} "${TOOL}" "${FOLDER}" RESULT_VARIABLE Result ERROR_VARIABLE Error)
if(Result EQUAL 0)
  message(FATAL_ERROR "package_check accepted the unusable package in ${FOLDER}")
endif()
string(FIND "${Error}" "update package in \"${FOLDER}\" is unusable: ${EXPECTED}" Found)
if(Found EQUAL -1)
  message(FATAL_ERROR "package_check gave an unexpected message:\n${Error}")
endif()
