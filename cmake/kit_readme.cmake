# Run by CPack once the kit is staged (CPACK_PRE_BUILD_SCRIPTS), before the
# line ends and the checksums: the kit's README.md is the source's less its
# last section, "Building from source", whose commands and BUILDING.md the
# kit does not hold.
set(readme ${CPACK_TEMPORARY_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}/README.md)
file(READ ${readme} content)
string(FIND "${content}" "\n## Building from source\n" cut)
if(cut EQUAL -1)
    message(FATAL_ERROR "README.md has no section \"Building from source\" to leave out of the kit")
endif()
string(SUBSTRING "${content}" 0 ${cut} content)
file(WRITE ${readme} "${content}\n")
