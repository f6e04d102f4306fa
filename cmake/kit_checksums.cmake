# Run by CPack once the kit is staged and before it is packed
# (CPACK_PRE_BUILD_SCRIPTS): writes the kit's SHA256SUMS, a line for every
# other file in sha256sum's format ("<hash>  <path>"), each path relative to
# the kit's folder, sorted, so that the same files give the same bytes and
# `sha256sum -c SHA256SUMS` checks an unpacked kit.
set(folder ${CPACK_TEMPORARY_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME})
file(GLOB_RECURSE files RELATIVE ${folder} LIST_DIRECTORIES false ${folder}/*)
list(REMOVE_ITEM files SHA256SUMS)
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
    file(SHA256 ${folder}/${file} hash)
    string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE ${folder}/SHA256SUMS "${sums}")
# Its mode, like the installed files', is set, not left to the umask.
file(CHMOD ${folder}/SHA256SUMS PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
