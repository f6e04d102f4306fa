# Packs the Linux kit, for the native tree's linux_kit target (make dist):
# installs the tree into a stage of its own, takes README.md's section on
# building from source out and writes SHA256SUMS as for the Windows kits
# (the text files keep their LF line ends), then packs
# OUTPUT_DIR/<KIT>.tar.gz so that the same files give the same bytes:
# entries in name order, each dated DATE_EPOCH, owned by 0:0 without
# names, GNU tar entries (pax ones would carry each file's own times), and
# no time in the gzip header.
#   cmake -DBUILD_DIR=build/native -DKIT=<kit> -DDATE_EPOCH=<seconds>
#         -DOUTPUT_DIR=dist -P cmake/linux_kit.cmake
cmake_minimum_required(VERSION 3.20)
set(stage ${BUILD_DIR}/linux_kit)
file(REMOVE_RECURSE ${stage})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage}
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "installing ${BUILD_DIR} into ${stage} failed")
endif()
# The names the scripts CPack runs for the Windows kits read.
set(CPACK_TEMPORARY_DIRECTORY ${stage})
set(CPACK_PACKAGE_FILE_NAME ${KIT})
include(${CMAKE_CURRENT_LIST_DIR}/kit_readme.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/kit_checksums.cmake)

set(tarball ${OUTPUT_DIR}/${KIT}.tar.gz)
file(REMOVE ${tarball})
execute_process(COMMAND tar --sort=name --format=gnu --mtime=@${DATE_EPOCH} --owner=0 --group=0
                            --numeric-owner -cf - ${KIT}
                COMMAND gzip -n -9
                WORKING_DIRECTORY ${stage} OUTPUT_FILE ${tarball} RESULTS_VARIABLE results)
if(NOT results STREQUAL "0;0")
    file(REMOVE ${tarball})
    message(FATAL_ERROR "packing ${tarball} failed")
endif()
message(STATUS "packed ${tarball}")
