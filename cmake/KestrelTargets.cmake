# Shared target setup: warnings as errors for our own code, optional sanitizers and fuzzing.

option(KESTREL_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KESTREL_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(KESTREL_WERROR "Treat warnings in our code as errors" ON)

if(KESTREL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
# The distribution's hardening (stack protector, _FORTIFY_SOURCE, full RELRO with immediate
# binding) for the programs we ship; the sanitizer and fuzz builds keep their own flags.
option(KESTREL_DISTRIBUTION_FLAGS "Build with the flags dpkg-buildflags gives (hardening=+all)" ON)
find_program(KESTREL_DPKG_BUILDFLAGS dpkg-buildflags)
if(KESTREL_DISTRIBUTION_FLAGS AND KESTREL_DPKG_BUILDFLAGS AND NOT KESTREL_SANITIZE
   AND NOT KESTREL_FUZZ)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                                ${KESTREL_DPKG_BUILDFLAGS} --get ${kind}
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE flags_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE)
    endforeach()
    string(APPEND CMAKE_CXX_FLAGS " ${flags_CPPFLAGS} ${flags_CXXFLAGS}")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${flags_LDFLAGS}")
endif()
if(KESTREL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "KESTREL_FUZZ needs clang (CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(kestrel_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(KESTREL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# One static library per folder of src/: every .cpp of the calling folder.
function(kestrel_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
        kestrel_warnings(${name})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
endfunction()

# One GoogleTest executable per folder of tests/: every *_test.cpp of the calling folder.
function(kestrel_test name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/*_support.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    kestrel_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# A libFuzzer target; the test run exercises it for a bounded number of inputs.
set(KESTREL_FUZZ_RUNS 20000 CACHE STRING "Inputs each fuzz target gets in the test run")
function(kestrel_fuzzer name source)
    if(NOT KESTREL_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    kestrel_warnings(${name})
    add_test(NAME ${name} COMMAND ${name} -runs=${KESTREL_FUZZ_RUNS} -max_len=4096 -seed=1)
endfunction()
