# Run by CPack once the kit is staged, before its checksums are written
# (CPACK_PRE_BUILD_SCRIPTS): gives the kit's text files, the ones a Windows
# user opens in Notepad or an IDE, Windows line ends (CR LF), which older
# Notepad needs to show them as lines. The repository keeps LF.
set(folder ${CPACK_TEMPORARY_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME})
file(GLOB_RECURSE texts LIST_DIRECTORIES false
     ${folder}/*.txt ${folder}/*.md ${folder}/*.h ${folder}/*.c ${folder}/*.def ${folder}/LICENSE)
foreach(text IN LISTS texts)
    file(READ ${text} content)
    string(REPLACE "\r\n" "\n" content "${content}")
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${text} "${content}")
endforeach()
