# Build conventions shared by every folder. A folder takes part in the build by holding a
# CMakeLists.txt that calls one of the functions below; its sources are globbed, so adding a file
# needs no edit elsewhere.

set(NUV_PLATFORM_DIR ${PROJECT_SOURCE_DIR}/platform)
set(NUV_KERNEL_DIR ${PROJECT_SOURCE_DIR}/kernel)
set(NUV_INCLUDE_DIR ${PROJECT_SOURCE_DIR}/include)
set(NUV_SUPPORT_DIR ${PROJECT_SOURCE_DIR}/support)
set(NUV_SHARE_DIR ${PROJECT_BINARY_DIR}/share/nuv)

# Adds every immediate (or, with RECURSE, nested) subfolder of DIR that holds a CMakeLists.txt.
function(nuv_add_subdirectories dir)
  set(pattern ${PROJECT_SOURCE_DIR}/${dir}/*/CMakeLists.txt)
  if(ARGV1 STREQUAL "RECURSE")
    file(GLOB_RECURSE lists CONFIGURE_DEPENDS ${pattern})
  else()
    file(GLOB lists CONFIGURE_DEPENDS ${pattern})
  endif()
  list(SORT lists)
  foreach(l IN LISTS lists)
    get_filename_component(d ${l} DIRECTORY)
    add_subdirectory(${d})
  endforeach()
endfunction()

function(_nuv_sources out)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# platform/<name>: a shared library libnuv<name>.so (target nuv<name>), headers installed under
# include/NUVKernel/platform/<name>/ and included as "<name>/Header.h".
#   LIBS: public dependencies (targets or libraries); PRIVATE_LIBS: implementation only.
function(nuv_platform_library)
  cmake_parse_arguments(A "" "" "LIBS;PRIVATE_LIBS" ${ARGN})
  get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(t nuv${dir})
  _nuv_sources(srcs)
  add_library(${t} SHARED ${srcs})
  target_include_directories(${t} PUBLIC
    $<BUILD_INTERFACE:${NUV_PLATFORM_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/NUVKernel/platform>)
  target_link_libraries(${t} PUBLIC ${A_LIBS} PRIVATE ${A_PRIVATE_LIBS})
  # The headers need C++20, and so does every program of an SDK user that includes them.
  target_compile_features(${t} PUBLIC cxx_std_20)
  install(TARGETS ${t} EXPORT NUVKernelTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/NUVKernel/platform/${dir}
    FILES_MATCHING PATTERN "*.h")
  set_property(GLOBAL APPEND PROPERTY NUV_PLATFORM_LIBS ${t})
endfunction()

# support/<name>: one of the suite's support libraries, a shared object under the name the suite
# gives it: lib<name>.so, or <name>.arx with MODULE (a host module with its own entry point).
# Headers are installed under include/NUVKernel/support/<name>/ and included as "<name>/Header.h".
function(nuv_support_library)
  cmake_parse_arguments(A "MODULE" "" "LIBS;PRIVATE_LIBS" ${ARGN})
  get_filename_component(t ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  _nuv_sources(srcs)
  add_library(${t} SHARED ${srcs})
  target_include_directories(${t} PUBLIC
    $<BUILD_INTERFACE:${NUV_SUPPORT_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/NUVKernel/support>)
  target_link_libraries(${t} PUBLIC ${A_LIBS} PRIVATE ${A_PRIVATE_LIBS})
  target_compile_features(${t} PUBLIC cxx_std_20)
  if(A_MODULE)
    set_target_properties(${t} PROPERTIES PREFIX "" SUFFIX ".arx")
    set(pc "-l:${t}.arx")
  else()
    set(pc "-l${t}")
  endif()
  install(TARGETS ${t} EXPORT NUVKernelTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/NUVKernel/support/${t}
    FILES_MATCHING PATTERN "*.h")
  set_property(GLOBAL APPEND PROPERTY NUV_SUPPORT_PC_LIBS ${pc})
endfunction()

# kernel/<name>: an object library nuvk_<name>, linked into the module NUVKernel.arx; tests link
# the object library directly. Headers are installed under include/NUVKernel/<name>/ and
# included as "<name>/Header.h".
function(nuv_kernel_subsystem)
  cmake_parse_arguments(A "" "" "LIBS;PRIVATE_LIBS" ${ARGN})
  get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(t nuvk_${dir})
  _nuv_sources(srcs)
  add_library(${t} OBJECT ${srcs})
  target_include_directories(${t} PUBLIC ${NUV_KERNEL_DIR} ${NUV_INCLUDE_DIR})
  target_link_libraries(${t} PUBLIC ${A_LIBS} PRIVATE ${A_PRIVATE_LIBS})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/NUVKernel/${dir}
    FILES_MATCHING PATTERN "*.h")
  set_property(GLOBAL APPEND PROPERTY NUV_KERNEL_PARTS ${t})
  set_property(GLOBAL APPEND PROPERTY NUV_KERNEL_LIBS ${A_LIBS})
  set_property(GLOBAL APPEND PROPERTY NUV_KERNEL_PRIVATE_LIBS ${A_PRIVATE_LIBS})
endfunction()

# The module itself: every kernel subsystem's objects in one shared object, NUVKernel.arx.
function(nuv_finish_kernel)
  get_property(parts GLOBAL PROPERTY NUV_KERNEL_PARTS)
  get_property(libs GLOBAL PROPERTY NUV_KERNEL_LIBS)
  get_property(plibs GLOBAL PROPERTY NUV_KERNEL_PRIVATE_LIBS)
  add_library(NUVKernel SHARED)
  foreach(p IN LISTS parts)
    target_sources(NUVKernel PRIVATE $<TARGET_OBJECTS:${p}>)
  endforeach()
  if(libs)
    list(REMOVE_DUPLICATES libs)
  endif()
  if(plibs)
    list(REMOVE_DUPLICATES plibs)
  endif()
  target_link_libraries(NUVKernel PUBLIC ${libs} PRIVATE ${plibs})
  target_compile_features(NUVKernel PUBLIC cxx_std_20)
  target_include_directories(NUVKernel PUBLIC
    $<BUILD_INTERFACE:${NUV_KERNEL_DIR}>
    $<BUILD_INTERFACE:${NUV_INCLUDE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/NUVKernel>)
  set_target_properties(NUVKernel PROPERTIES PREFIX "" SUFFIX ".arx" OUTPUT_NAME NUVKernel)
  install(TARGETS NUVKernel EXPORT NUVKernelTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endfunction()

# tools/<name>: a command-line program installed to bin/.
function(nuv_tool)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  _nuv_sources(srcs)
  add_executable(${dir} ${srcs})
  target_link_libraries(${dir} PRIVATE ${A_LIBS})
  install(TARGETS ${dir} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# tests/<path>: one GoogleTest program test_<path with _> from every .cpp of the folder.
# Tests find their data through NUV_TEST_DATA (tests/data), NUV_SOURCE_DIR and NUV_BINARY_DIR,
# NUV_REGISTRY_DIR and any ENV "NAME=value" given here. They are set by the program itself at start-up (unless
# already set), so a test binary run by hand behaves as it does under ctest.
function(nuv_test)
  cmake_parse_arguments(A "" "TIMEOUT" "LIBS;ENV" ${ARGN})
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" name "test_${rel}")
  _nuv_sources(srcs)
  set(env "NUV_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data" "NUV_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    "NUV_BINARY_DIR=${PROJECT_BINARY_DIR}"
    # A registry of the test program's own, so tests never touch the user's settings.
    "NUV_REGISTRY_DIR=${CMAKE_CURRENT_BINARY_DIR}/${name}.registry" ${A_ENV})
  set(code "#include <cstdlib>\n#include <string>\nnamespace {\nstruct NuvTestEnvironment {\n  NuvTestEnvironment() {\n")
  foreach(e IN LISTS env)
    string(FIND "${e}" "=" eq)
    string(SUBSTRING "${e}" 0 ${eq} key)
    math(EXPR vstart "${eq} + 1")
    string(SUBSTRING "${e}" ${vstart} -1 value)
    string(APPEND code "    setenv(\"${key}\", R\"nuv(${value})nuv\", 0);\n")
  endforeach()
  string(APPEND code "  }\n} const nuvTestEnvironment;\n}  // namespace\n")
  set(envsrc ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cpp)
  file(GENERATE OUTPUT ${envsrc} CONTENT "${code}")
  add_executable(${name} ${srcs} ${envsrc})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock ${A_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${A_TIMEOUT})
endfunction()

# bench/<name>: a Google Benchmark program bench_<name> from every .cpp of the folder.
function(nuv_bench)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  _nuv_sources(srcs)
  add_executable(bench_${dir} ${srcs})
  target_link_libraries(bench_${dir} PRIVATE benchmark::benchmark ${A_LIBS})
  set_property(GLOBAL APPEND PROPERTY NUV_BENCHES bench_${dir})
endfunction()

# fuzz/<name>: a libFuzzer program fuzz_<name> from every .cpp of the folder.
function(nuv_fuzz)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  _nuv_sources(srcs)
  add_executable(fuzz_${dir} ${srcs})
  target_link_options(fuzz_${dir} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_${dir} PRIVATE ${A_LIBS})
endfunction()

# The SDK: headers, libraries, a CMake package and a pkg-config file.
function(nuv_install_sdk)
  install(FILES ${NUV_INCLUDE_DIR}/NUVKernel/NUVKernel.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/NUVKernel)
  install(EXPORT NUVKernelTargets NAMESPACE NUVKernel::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/NUVKernel)
  include(CMakePackageConfigHelpers)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/NUVKernelConfig.cmake.in
    ${PROJECT_BINARY_DIR}/NUVKernelConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/NUVKernel)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/NUVKernelConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/NUVKernelConfig.cmake
    ${PROJECT_BINARY_DIR}/NUVKernelConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/NUVKernel)
  get_property(plats GLOBAL PROPERTY NUV_PLATFORM_LIBS)
  get_property(support GLOBAL PROPERTY NUV_SUPPORT_PC_LIBS)
  set(NUV_PC_LIBS "-l:NUVKernel.arx")
  foreach(s IN LISTS support)
    string(APPEND NUV_PC_LIBS " ${s}")
  endforeach()
  foreach(p IN LISTS plats)
    string(APPEND NUV_PC_LIBS " -l${p}")
  endforeach()
  # The .pc file finds the prefix from its own place, so an SDK installed with
  # `cmake --install --prefix <anywhere>` (or moved afterwards) still points at itself.
  file(RELATIVE_PATH NUV_PC_TO_PREFIX /nuvroot/${CMAKE_INSTALL_LIBDIR}/pkgconfig /nuvroot)
  string(REGEX REPLACE "/$" "" NUV_PC_TO_PREFIX "${NUV_PC_TO_PREFIX}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/NUVKernel.pc.in ${PROJECT_BINARY_DIR}/NUVKernel.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/NUVKernel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

# Embeds files into a target as module resources, found at run time with FindResource under the
# handle of the module (library or program) the target becomes:
#   nuv_add_resources(<target> <type> <name> <file> [<type> <name> <file>]...)
# <type> is a standard type (RT_BITMAP, RT_RCDATA, ...), a number or a text; <name> a number or
# a text; <file> is relative to the calling folder. The bytes are assembled into the object file
# (.incbin), so a changed file rebuilds only that object.
function(nuv_add_resources target)
  set(args ${ARGN})
  list(LENGTH args n)
  math(EXPR rem "${n} % 3")
  if(n EQUAL 0 OR NOT rem EQUAL 0)
    message(FATAL_ERROR "nuv_add_resources(${target}): expected <type> <name> <file> triples")
  endif()
  set(rt_CURSOR 1)
  set(rt_BITMAP 2)
  set(rt_ICON 3)
  set(rt_MENU 4)
  set(rt_DIALOG 5)
  set(rt_STRING 6)
  set(rt_FONTDIR 7)
  set(rt_FONT 8)
  set(rt_ACCELERATOR 9)
  set(rt_RCDATA 10)
  set(rt_MESSAGETABLE 11)
  set(rt_GROUP_CURSOR 12)
  set(rt_GROUP_ICON 14)
  set(rt_VERSION 16)
  set(rt_HTML 23)
  set(rt_MANIFEST 24)
  string(MAKE_C_IDENTIFIER "${target}" tid)
  set(asm "")
  set(decls "")
  set(rows "")
  set(files "")
  set(i 0)
  while(args)
    list(POP_FRONT args type name file)
    if(NOT IS_ABSOLUTE "${file}")
      set(file "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
    endif()
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "nuv_add_resources(${target}): no file ${file}")
    endif()
    list(APPEND files "${file}")
    string(REGEX REPLACE "^RT_" "" short "${type}")
    if(type MATCHES "^RT_" AND DEFINED rt_${short})
      set(type_c "nullptr, ${rt_${short}}")
    elseif(type MATCHES "^[0-9]+$")
      set(type_c "nullptr, ${type}")
    else()
      set(type_c "\"${type}\", 0")
    endif()
    if(name MATCHES "^[0-9]+$")
      set(name_c "nullptr, ${name}")
    else()
      set(name_c "\"${name}\", 0")
    endif()
    set(sym "nuvres_${tid}_${i}")
    string(REPLACE "\\" "\\\\\\\\" afile "${file}")
    string(REPLACE "\"" "\\\\\\\"" afile "${afile}")
    string(APPEND asm
      "    \".balign 16\\n\"\n"
      "    \".globl ${sym}\\n.hidden ${sym}\\n${sym}:\\n\"\n"
      "    \".incbin \\\"${afile}\\\"\\n\"\n"
      "    \"${sym}_end:\\n.byte 0\\n\"\n"
      "    \".balign 8\\n.globl ${sym}_size\\n.hidden ${sym}_size\\n${sym}_size:\\n.quad ${sym}_end - ${sym}\\n\"\n")
    string(APPEND decls
      "extern \"C\" const unsigned char ${sym}[];\n"
      "extern \"C\" const unsigned long long ${sym}_size;\n")
    string(APPEND rows "        table[${i}] = {${type_c}, ${name_c}, ${sym}, static_cast<std::size_t>(${sym}_size)};\n")
    math(EXPR i "${i} + 1")
  endwhile()
  string(CONCAT src "// Generated by nuv_add_resources for ${target}; do not edit.\n"
    "#include <cstddef>\n\n#include \"win/Resource.h\"\n\n"
    "asm(\".pushsection .rodata\\n\"\n${asm}    \".popsection\\n\");\n\n${decls}\n"
    "namespace {\n\nNUVWin::EmbeddedResource table[${i}];\n\n"
    "struct Registrar {\n    Registrar() {\n${rows}"
    "        NUVWin::RegisterResources(table, table, ${i});\n    }\n"
    "    ~Registrar() { NUVWin::UnregisterResources(table); }\n} registrar;\n\n}  // namespace\n")
  set(out "${CMAKE_CURRENT_BINARY_DIR}/nuv_resources_${tid}.cpp")
  file(CONFIGURE OUTPUT "${out}" CONTENT "${src}" @ONLY)
  target_sources(${target} PRIVATE "${out}")
  set_source_files_properties("${out}" TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${files}")
  target_link_libraries(${target} PRIVATE nuvwin)
endfunction()
