# Run after a test program is built: lists its gtest suites and writes the ctest file that runs
# each suite as one test, "<PREFIX><Suite>", in a process of its own. Suites named in
# SINGLE_THREADED get no label; every other suite gets the label "threads".
#   cmake -D TEST_PROGRAM=<path> -D CTEST_FILE=<path> -D PREFIX=<text> -D TIMEOUT=<s>
#         -D WORKING_DIRECTORY=<path> -D SINGLE_THREADED=<Suite:Suite> -P discover_suites.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${TEST_PROGRAM}" --gtest_list_tests
  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TEST_PROGRAM} --gtest_list_tests failed (${result}):\n${listing}${errors}")
endif()

string(REPLACE ":" ";" single_threaded "${SINGLE_THREADED}")
string(REPLACE ";" "\\;" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(content "")
foreach(line IN LISTS lines)
  # Suite lines start in the first column and end with a dot (a typed suite adds a comment).
  if(NOT line MATCHES "^([^ ]+)\\.( +#.*)?$")
    continue()
  endif()
  set(suite "${CMAKE_MATCH_1}")
  set(name "${PREFIX}${suite}")
  set(labels "threads")
  if(suite IN_LIST single_threaded)
    set(labels "")
  endif()
  string(APPEND content
    "add_test([==[${name}]==] [==[${TEST_PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n"
    "set_tests_properties([==[${name}]==] PROPERTIES TIMEOUT ${TIMEOUT}"
    " WORKING_DIRECTORY [==[${WORKING_DIRECTORY}]==] LABELS [==[${labels}]==]"
    " ENVIRONMENT SDL_VIDEODRIVER=offscreen ENVIRONMENT_MODIFICATION SDL_AUDIODRIVER=set:dummy)\n")
endforeach()
file(WRITE "${CTEST_FILE}" "${content}")
