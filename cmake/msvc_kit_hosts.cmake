# Kit hosts built as an MSVC-compatible toolchain builds them: kit_host.c
# compiled by clang for the MSVC target and linked by lld-link at its
# defaults (/safeseh among them) with the kit's KESMARD.lib, once as it is
# and once with /delayload:KESMARD.dll. Debian has neither the MSVC runtime
# nor the Windows SDK, so the hosts include the few declarations of
# tests/e2e/msvc/include, import kernel32.dll and msvcrt.dll through
# libraries that llvm-dlltool makes from the .def files there, and start
# through crt_start.c; the delay-loading one brings its own helper.
# Included by CMakeLists.txt in the Windows tree, after KESMARD.lib's rule.
find_program(CLANG clang REQUIRED)
find_program(LLD_LINK lld-link REQUIRED)
set(msvc_source ${CMAKE_SOURCE_DIR}/tests/e2e/msvc)
set(msvc_build ${CMAKE_BINARY_DIR}/msvc)
set(msvc_target ${CMAKE_SYSTEM_PROCESSOR}-pc-windows-msvc)
file(MAKE_DIRECTORY ${msvc_build})

set(msvc_system_libraries "")
foreach(dll kernel32 msvcrt)
    set(library ${msvc_build}/${dll}.lib)
    set(def ${msvc_source}/${dll}.def)
    # On x86_64 nothing is decorated: the names stand as the DLLs export them.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        file(READ ${def} text)
        string(REGEX REPLACE "@[0-9]+" "" text "${text}")
        set(def ${msvc_build}/${dll}.def)
        file(WRITE ${def} "${text}")
    endif()
    add_custom_command(OUTPUT ${library}
        COMMAND ${LLVM_DLLTOOL} -m ${dlltool_machine} -k -d ${def} -l ${library}
        DEPENDS ${def} VERBATIM)
    list(APPEND msvc_system_libraries ${library})
endforeach()

function(msvc_object source)
    get_filename_component(name ${source} NAME_WE)
    set(object ${msvc_build}/${name}.obj)
    add_custom_command(OUTPUT ${object}
        COMMAND ${CLANG} --target=${msvc_target} -nostdlibinc -isystem ${msvc_source}/include
                -Wall -Wextra -Werror -O2 -MD -MF ${object}.d -c ${source} -o ${object}
        DEPFILE ${object}.d
        DEPENDS ${source} VERBATIM)
endfunction()
foreach(source tests/e2e/kit_host.c tests/e2e/msvc/crt_start.c tests/e2e/msvc/delay_load_helper.c)
    msvc_object(${CMAKE_SOURCE_DIR}/${source})
endforeach()

# Each host, the imported target msvc_<name> for its tests: its objects,
# then any further linker options. /nodefaultlib drops the MSVC runtime
# that clang's objects ask for.
set(msvc_programs "")
function(msvc_host name objects)
    set(program ${msvc_build}/${name}.exe)
    list(TRANSFORM objects PREPEND ${msvc_build}/)
    add_custom_command(OUTPUT ${program}
        COMMAND ${LLD_LINK} /nologo /out:${program} /nodefaultlib ${objects}
                ${msvc_import_library} ${msvc_system_libraries} ${ARGN}
        DEPENDS ${objects} ${msvc_import_library} ${msvc_system_libraries} VERBATIM)
    add_executable(msvc_${name} IMPORTED)
    set_target_properties(msvc_${name} PROPERTIES IMPORTED_LOCATION ${program})
    set(msvc_programs ${msvc_programs} ${program} PARENT_SCOPE)
endfunction()
msvc_host(kit_host "kit_host.obj;crt_start.obj")
msvc_host(kit_host_delay "kit_host.obj;crt_start.obj;delay_load_helper.obj"
          /delayload:KESMARD.dll)
# One target builds them all, so that no two build the objects they share.
add_custom_target(msvc_kit_hosts ALL DEPENDS ${msvc_programs})
