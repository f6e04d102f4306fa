# Packs the npm package kesmard (node/) with its three modules,
# dist/KESMARD.dll as x86/KESMARD.dll, dist/x64/KESMARD.dll as
# x64/KESMARD.dll and dist/linux-x86_64/libKESMARD.so as
# linux-x64/libKESMARD.so, and koffi's part for each of those machines as
# bundled dependencies, into dist/kesmard-<version>.tgz in npm's layout
# (everything under "package/", every entry dated as npm dates them), which
# `npm install` takes. Needs no Node.js; fetches koffi's parts from the npm
# registry once, into build/koffi-parts/ (NPM_REGISTRY names another
# registry). Run by make dist once both Windows trees and the native
# library are built:
#   cmake -P cmake/node_package.cmake
# A test packs a package for some machines only, into a folder of its own:
#   cmake -DMACHINES=linux-x64 -DPACKAGE_DIR=/tmp/folder -P cmake/node_package.cmake
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

# Each machine the package serves, koffi's name for it: the module and the
# package's folder for it.
set(module_win32-ia32 dist/KESMARD.dll)
set(folder_win32-ia32 x86)
set(module_win32-x64 dist/x64/KESMARD.dll)
set(folder_win32-x64 x64)
set(module_linux-x64 dist/linux-x86_64/libKESMARD.so)
set(folder_linux-x64 linux-x64)
if(NOT DEFINED MACHINES)
    set(MACHINES win32-ia32 win32-x64 linux-x64)
endif()
if(DEFINED PACKAGE_DIR)
    set(stage ${PACKAGE_DIR}/node-package)
else()
    set(PACKAGE_DIR ${root}/dist)
    set(stage ${root}/build/node-package)
endif()

file(REMOVE_RECURSE ${stage})
foreach(machine ${MACHINES})
    set(module ${module_${machine}})
    if(NOT module)
        message(FATAL_ERROR "no module for the machine ${machine}")
    endif()
    if(NOT EXISTS ${root}/${module})
        message(FATAL_ERROR "${module} is missing: build both Windows trees (make) and the native one first")
    endif()
    file(COPY ${root}/${module} DESTINATION ${stage}/package/${folder_${machine}}
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
file(COPY ${root}/node/package.json ${root}/node/index.js ${root}/node/index.d.ts ${root}/LICENSE
     DESTINATION ${stage}/package FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# koffi's native module for each machine, bundled whole and as published,
# so that the package runs in a 32-bit and a 64-bit Windows process
# whichever machine npm installed it for: npm installs only its own
# machine's part and refuses another's as a dependency (node/index.js says
# more).
# package.json names the parts at one fixed version, which must be the one
# whose registry checksum (its "integrity", as hex) is held here.
set(koffi_version 3.3.4)
set(koffi_sha512_win32-ia32 cf4b98de6a970135355fb832909c9d738a6a7b1b20fbe6accba5ee17077995cec181d31e80c0a6eb404eb5cef7128373fec8265776d7e5b11a35532d23fbb934)
set(koffi_sha512_win32-x64 fd2a5e85f62b3bd0ed92807464e806c9ca38187e33c2113216a8029b4c7c95bcd79eb2a2c271d75a63e97ee5e1158a2116fa123b98e52d0cff85cd5f2791b401)
set(koffi_sha512_linux-x64 c62e3b30aba843d7c0d92b2b1fac258e5f6df75db484eebaa8499bd657baabadfaab9e49f7be1c65f7300eb2b99d6d466a527ed0d2d7a07d93dff346401ccf37)
if(NOT DEFINED NPM_REGISTRY)
    set(NPM_REGISTRY https://registry.npmjs.org)
endif()
set(downloads ${root}/build/koffi-parts)
foreach(machine ${MACHINES})
    set(sha512 ${koffi_sha512_${machine}})
    set(name @koromix/koffi-${machine})
    string(JSON pinned ERROR_VARIABLE unnamed GET "${manifest}" optionalDependencies ${name})
    string(JSON bundled ERROR_VARIABLE unnamed GET "${manifest}" bundleDependencies)
    if(NOT pinned STREQUAL koffi_version OR NOT bundled MATCHES "\"${name}\"")
        message(FATAL_ERROR "node/package.json must name ${name} ${koffi_version} in optionalDependencies "
                            "and bundleDependencies, the version whose checksum this script holds")
    endif()
    # A part fetched before is taken again only while its checksum holds. A
    # download that fails or brings other bytes stops here, as a checksum
    # mismatch that names the transfer's status.
    set(archive ${downloads}/koffi-${machine}-${koffi_version}.tgz)
    if(EXISTS ${archive})
        file(SHA512 ${archive} held)
    endif()
    if(NOT EXISTS ${archive} OR NOT held STREQUAL sha512)
        file(DOWNLOAD ${NPM_REGISTRY}/${name}/-/koffi-${machine}-${koffi_version}.tgz ${archive}
             TLS_VERIFY ON EXPECTED_HASH SHA512=${sha512})
    endif()
    set(unpacked ${stage}/${machine})
    file(MAKE_DIRECTORY ${unpacked} ${stage}/package/node_modules/@koromix)
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar xzf ${archive} WORKING_DIRECTORY ${unpacked}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "unpacking ${archive} failed")
    endif()
    file(RENAME ${unpacked}/package ${stage}/package/node_modules/${name})
endforeach()

# The same files give the same bytes: GNU tar entries (pax ones would carry
# each file's own times) and no time in the gzip header (gzip -n).
set(tarball ${PACKAGE_DIR}/kesmard-${version}.tgz)
# An earlier version's package must not stand in for this one.
file(GLOB packed ${PACKAGE_DIR}/kesmard-*.tgz)
file(REMOVE ${tarball} ${packed})
# Every file in a fixed order (GLOB_RECURSE sorts), no directory entries, as
# npm packs.
file(GLOB_RECURSE entries RELATIVE ${stage} ${stage}/package/*)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf package.tar --format=gnutar
                        "--mtime=1985-10-26 08:15:00 UTC" ${entries}
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(NOT failed)
    execute_process(COMMAND gzip -n -9 -c package.tar WORKING_DIRECTORY ${stage}
                    OUTPUT_FILE ${tarball} RESULT_VARIABLE failed)
endif()
if(failed)
    message(FATAL_ERROR "packing ${tarball} failed")
endif()
message(STATUS "packed ${tarball}")
