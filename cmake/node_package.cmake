# Packs the npm package kesmard (node/) with both modules, dist/KESMARD.dll
# as x86/KESMARD.dll and dist/x64/KESMARD.dll as x64/KESMARD.dll, into
# dist/kesmard-<version>.tgz in npm's layout (everything under "package/",
# every entry dated as npm dates them), which `npm install` takes. Needs no
# Node.js and no network. Run by make dist once both Windows trees are built:
#   cmake -P cmake/node_package.cmake
cmake_minimum_required(VERSION 3.20)
get_filename_component(root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# The package carries the project's version, which project() holds, as
# semver: MAJOR.MINOR.PATCH, the fourth field of a release being 0.
file(STRINGS ${root}/CMakeLists.txt project_line REGEX "^project\\(KESMARD VERSION ")
string(REGEX REPLACE "^project\\(KESMARD VERSION ([0-9]+\\.[0-9]+\\.[0-9]+)\\.0 .*" "\\1" version
       "${project_line}")
file(READ ${root}/node/package.json manifest)
string(JSON package_version GET "${manifest}" version)
if(NOT package_version STREQUAL version)
    message(FATAL_ERROR "node/package.json says version ${package_version}, the project ${version}.0")
endif()

set(stage ${root}/build/node-package)
file(REMOVE_RECURSE ${stage})
foreach(pair "dist/KESMARD.dll;x86" "dist/x64/KESMARD.dll;x64")
    list(GET pair 0 module)
    list(GET pair 1 folder)
    if(NOT EXISTS ${root}/${module})
        message(FATAL_ERROR "${module} is missing: build both Windows trees first (make)")
    endif()
    file(COPY ${root}/${module} DESTINATION ${stage}/package/${folder}
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
file(COPY ${root}/node/package.json ${root}/node/index.js ${root}/node/index.d.ts ${root}/LICENSE
     DESTINATION ${stage}/package FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# The same files give the same bytes: GNU tar entries (pax ones would carry
# each file's own times) and no time in the gzip header (gzip -n).
set(tarball ${root}/dist/kesmard-${version}.tgz)
# An earlier version's package must not stand in for this one.
file(GLOB packed ${root}/dist/kesmard-*.tgz)
file(REMOVE ${tarball} ${packed})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf package.tar --format=gnutar
                        "--mtime=1985-10-26 08:15:00 UTC"
                        package/LICENSE package/index.d.ts package/index.js package/package.json
                        package/x64/KESMARD.dll package/x86/KESMARD.dll
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(NOT failed)
    execute_process(COMMAND gzip -n -9 -c package.tar WORKING_DIRECTORY ${stage}
                    OUTPUT_FILE ${tarball} RESULT_VARIABLE failed)
endif()
if(failed)
    message(FATAL_ERROR "packing ${tarball} failed")
endif()
message(STATUS "packed ${tarball}")
