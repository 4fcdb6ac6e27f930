# GoogleTest: Debian's prebuilt library on the host, its sources
# (/usr/src/googletest) when cross-building for Windows.
if(CMAKE_CROSSCOMPILING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(CARDPREP_GTEST GTest::gtest gtest_main)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
  endif()
else()
  find_package(GTest REQUIRED)
  set(CARDPREP_GTEST GTest::gtest GTest::gtest_main)
endif()
include(GoogleTest)

file(GLOB testing_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/testing/*.cpp")
if(WIN32)
  list(FILTER testing_sources EXCLUDE REGEX "_posix\\.cpp$")
else()
  list(FILTER testing_sources EXCLUDE REGEX "_win32\\.cpp$")
endif()
add_library(cardprep_testing STATIC ${testing_sources})
target_include_directories(cardprep_testing PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(cardprep_testing PUBLIC cardprep_font cardprep_rename cardprep_base ${CARDPREP_GTEST})
# Under Wine the tests see no "/" (scripts/wine-run seals the prefix): the
# repository is drive S:, and the build folder must lie in it.
if(CMAKE_CROSSCOMPILING)
  file(RELATIVE_PATH binary_in_source "${PROJECT_SOURCE_DIR}" "${PROJECT_BINARY_DIR}")
  if(binary_in_source MATCHES "^\\.\\./")
    message(FATAL_ERROR "The Windows build folder must lie in the repository (drive S: under Wine)")
  endif()
  set(test_source_dir "S:/")
  set(test_binary_dir "S:/${binary_in_source}")
else()
  set(test_source_dir "${PROJECT_SOURCE_DIR}")
  set(test_binary_dir "${PROJECT_BINARY_DIR}")
endif()
target_compile_definitions(cardprep_testing PUBLIC
  CARDPREP_SOURCE_DIR="${test_source_dir}"
  CARDPREP_BINARY_DIR="${test_binary_dir}")

# On the host every test case is its own CTest test. Under Wine, where
# starting a process costs about a second, each test program runs once.
# A test that hangs (a pipe opened as a file would) fails after ten minutes
# instead of holding CI up.
function(cardprep_add_tests target label)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES LABELS ${label} TIMEOUT 600)
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS ${label} TIMEOUT 600)
  endif()
endfunction()

# One test program per source folder, from the *_test.cpp files beside the
# code; end-to-end tests (which run the real binary) from tests/.
foreach(dir text platform base driver rename scan index font display)
  file(GLOB test_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/${dir}/*_test.cpp")
  if(test_sources)
    if(dir STREQUAL "text" OR dir STREQUAL "platform" OR dir STREQUAL "base")
      set(lib cardprep_base)
    else()
      set(lib cardprep_${dir})
    endif()
    add_executable(${dir}_test ${test_sources})
    target_link_libraries(${dir}_test PRIVATE ${lib} cardprep_testing)
    cardprep_add_tests(${dir}_test unit)
  endif()
endforeach()

file(GLOB e2e_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/tests/*_test.cpp")
# On Windows the fault tests and the dialogue (console bytes and statuses),
# as one program (see cardprep_add_tests): the other runs hold code both
# hosts share, and scripts/test compares the cards both builds prepare.
if(WIN32)
  list(FILTER e2e_sources INCLUDE REGEX
       "/(faults|catalogue_faults|hostile_names|renumbered_titles|killed_runs|unlisted_folder|other_systems_names|one_run_per_card|card_root_guard|dialogue)_test\\.cpp$")
endif()
if(e2e_sources)
  add_executable(e2e_test ${e2e_sources})
  target_link_libraries(e2e_test PRIVATE cardprep_testing)
  target_compile_definitions(e2e_test PRIVATE CARDPREP_EXE="$<TARGET_FILE:cardprep>")
  add_dependencies(e2e_test cardprep)
  if(CMAKE_CROSSCOMPILING)
    cardprep_add_tests(e2e_test e2e)
  else()
    # Their cards and work files go to memory where there is some: the runs
    # create and rewrite many small files, which on a busy disk costs a flush
    # each time.
    if(IS_DIRECTORY /dev/shm)
      set(e2e_environment ENVIRONMENT TMPDIR=/dev/shm)
    endif()
    gtest_discover_tests(e2e_test DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS e2e TIMEOUT 600 ${e2e_environment})
  endif()
endif()

add_executable(write_test_fonts ${PROJECT_SOURCE_DIR}/testing/tools/write_test_fonts.cpp)
target_link_libraries(write_test_fonts PRIVATE cardprep_testing)

# The tag corpus: files tagged by Debian's taggers, made at test time, whose titles must be the
# ones mutagen reads (Debian's python3 and its python3-mutagen).
if(NOT CMAKE_CROSSCOMPILING)
  add_executable(print_tag_titles ${PROJECT_SOURCE_DIR}/testing/tools/print_tag_titles.cpp)
  target_link_libraries(print_tag_titles PRIVATE cardprep_scan)
  add_test(NAME tag_corpus COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tests/tag_corpus/corpus_test.py
                                   $<TARGET_FILE:print_tag_titles>)
  set_tests_properties(tag_corpus PROPERTIES LABELS e2e TIMEOUT 600)
endif()

# Under Wine: the wait of a double-clicked cardprep.exe, in a terminal of
# its own (its console), and never with input or output redirected.
if(CMAKE_CROSSCOMPILING)
  add_test(NAME console_wait
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/console_wait_test.sh $<TARGET_FILE:cardprep>)
  set_tests_properties(console_wait PROPERTIES LABELS e2e TIMEOUT 600)
  add_test(NAME sealed_prefix COMMAND bash ${PROJECT_SOURCE_DIR}/tests/sealed_prefix_test.sh)
  set_tests_properties(sealed_prefix PROPERTIES LABELS e2e TIMEOUT 600)
endif()

# The console texts against their readable forms (a source check: once).
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME console_texts
           COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/messages_test.py ${PROJECT_SOURCE_DIR}/src)
  set_tests_properties(console_texts PROPERTIES LABELS unit)
endif()
