# One static library per source folder, and one test binary per test folder.

# kiv_library(<target> [DEPS <libs>...] [PRIVATE_DEPS <libs>...] [EXCLUDE <file names>...]
#             [SOURCES <globs>...] [NO_UNITY] [SEPARATE <file names>...])
# Takes every .cpp of the current folder, or those matching SOURCES (for a folder whose units sit on
# two layers, e.g. the grid pickers above the base grid); a folder with none yet gives an interface
# library. The sources are compiled in batches as the tests are (see kiv_unity_sources), so the files
# of one library must not define the same names at file scope; NO_UNITY compiles them one by one, and
# SEPARATE names the files compiled on their own (one whose headers clash with its neighbours').
function(kiv_library target)
  cmake_parse_arguments(ARG "NO_UNITY" "" "DEPS;PRIVATE_DEPS;EXCLUDE;SOURCES;SEPARATE" ${ARGN})
  if(ARG_SOURCES)
    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    file(GLOB sources CONFIGURE_DEPENDS ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  foreach(name ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  endforeach()
  if(sources AND KIV_UNITY AND NOT ARG_NO_UNITY)
    set(separate)
    foreach(name ${ARG_SEPARATE})
      list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${name})
      list(APPEND separate ${CMAKE_CURRENT_SOURCE_DIR}/${name})
    endforeach()
    if(sources)
      kiv_unity_sources(sources ${target} ${sources})
    endif()
    list(APPEND sources ${separate})
    # In a batch the sources are included, so GCC takes a type in an anonymous namespace for one
    # declared in a header and warns about the classes that use it.
    set(batched TRUE)
  endif()
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    if(batched)
      target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
    endif()
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# kiv_unity_sources(<out var> <target> <sources>...)
# Batches of eight sources, each compiled as one file that includes them by their path in the tree
# (found through the tree's include directory). The paths stay relative, so ccache, which hashes
# paths relative to the clone, still serves a fresh clone in another folder; CMake's own unity build
# writes absolute paths and would not be.
function(kiv_unity_sources out target)
  list(SORT ARGN)
  set(result)
  set(batch)
  set(index 0)
  list(LENGTH ARGN count)
  set(n 0)
  foreach(source ${ARGN})
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${source})
    string(APPEND batch "#include \"${relative}\"\n")
    math(EXPR n "${n} + 1")
    math(EXPR rest "${n} % 8")
    if(rest EQUAL 0 OR n EQUAL count)
      set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}_unity_${index}.cpp)
      file(CONFIGURE OUTPUT ${file} CONTENT "${batch}" @ONLY)
      list(APPEND result ${file})
      set(batch)
      math(EXPR index "${index} + 1")
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# kiv_test(<target> DEPS <libs>... [LABELS <labels>...] [NO_UNITY])
# Builds every *Test.cpp of the current folder into one GoogleTest binary registered with ctest.
# The files are compiled in batches of eight (a unity build): most of a test file's compile time is
# parsing the same headers, so batching cuts the cold build's test half by about half. The files of
# one folder therefore must not define the same names at file scope, anonymous namespaces included;
# NO_UNITY compiles a folder's files one by one where they still do.
function(kiv_test target)
  cmake_parse_arguments(ARG "NO_UNITY" "" "DEPS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  if(KIV_UNITY AND NOT ARG_NO_UNITY)
    kiv_unity_sources(sources ${target} ${sources})
  endif()
  add_executable(${target} ${sources})
  # In a batch the test files are included, so GCC takes a fixture in an anonymous namespace for one
  # declared in a header and warns about the test classes derived from it.
  if(KIV_UNITY AND NOT ARG_NO_UNITY)
    target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  endif()
  # A binary that links the testing library starts through its main, which initialises the libraries.
  set(main GTest::gtest_main)
  if(platform_testing IN_LIST ARG_DEPS)
    set(main)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} kiv_source_dir GTest::gtest ${main} GTest::gmock)
  # An empty LABELS value would shift the property list, so it is added only when given.
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  # Database tests wait for the run's one set-up of the roles and the template (tests/CMakeLists.txt).
  if("db" IN_LIST ARG_LABELS)
    list(APPEND properties FIXTURES_REQUIRED kiv_database)
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
endfunction()

# Adds every subfolder below <dir> that has a CMakeLists.txt.
function(kiv_add_subdirectories dir)
  file(GLOB_RECURSE lists CONFIGURE_DEPENDS ${dir}/*/CMakeLists.txt)
  list(SORT lists)
  foreach(list ${lists})
    get_filename_component(sub ${list} DIRECTORY)
    add_subdirectory(${sub})
  endforeach()
endfunction()

# kiv_bench(<target> DEPS <libs>...): every .cpp of the current folder into one benchmark binary.
function(kiv_bench target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} kiv_source_dir benchmark::benchmark benchmark::benchmark_main)
endfunction()
