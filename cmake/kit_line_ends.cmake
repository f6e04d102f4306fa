# Run by CPack once the kit is staged, before its checksums are written
# (CPACK_PRE_BUILD_SCRIPTS): gives the kit's text files, the ones a Windows
# user opens in Notepad or an IDE (the language bindings among them),
# Windows line ends (CR LF): older Notepad needs them to show lines, and
# the VB6 IDE to read a .bas module. The repository keeps LF.
set(folder ${CPACK_TEMPORARY_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME})
file(GLOB_RECURSE texts LIST_DIRECTORIES false
     ${folder}/*.txt ${folder}/*.md ${folder}/*.h ${folder}/*.c ${folder}/*.def ${folder}/LICENSE
     ${folder}/*.cs ${folder}/*.pas ${folder}/*.bas ${folder}/*.py)
foreach(text IN LISTS texts)
    file(READ ${text} content)
    string(REPLACE "\r\n" "\n" content "${content}")
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${text} "${content}")
endforeach()
