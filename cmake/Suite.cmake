# Shared settings of the suite's own targets.

set(SUITE_WARNINGS -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wformat=2)

# Every source file records its path as ".\File.cpp", as the log shows it.
function(suite_source_paths target)
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
        if(NOT source MATCHES "\\.(cpp|c)$")
            continue()
        endif()
        get_filename_component(absolute ${source} ABSOLUTE BASE_DIR ${source_dir})
        get_filename_component(folder ${absolute} DIRECTORY)
        set_source_files_properties(${absolute} TARGET_DIRECTORY ${target}
            PROPERTIES COMPILE_OPTIONS "-fmacro-prefix-map=${folder}/=.\\")
    endforeach()
endfunction()

# Compile settings for product code, libraries included.
function(suite_product_target target)
    target_compile_options(${target} PRIVATE ${SUITE_WARNINGS} -fno-exceptions)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE NOMINMAX
        _WIN32_WINNT=0x0602 WINVER=0x0602)
    suite_source_paths(${target})
endfunction()

# A program of the suite: static runtime, wide entry point.
function(suite_program target)
    suite_product_target(${target})
    target_link_options(${target} PRIVATE -static -municode)
endfunction()

# Test and tool code: the same warnings, exceptions allowed (GoogleTest uses them).
function(suite_test_target target)
    target_compile_options(${target} PRIVATE ${SUITE_WARNINGS})
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE NOMINMAX
        _WIN32_WINNT=0x0602 WINVER=0x0602)
    target_link_options(${target} PRIVATE -static)
endfunction()

# A GoogleTest program registered as one ctest entry per test suite found in its sources,
# so that suites run in parallel while each pays for one Wine process start only.
#   LOCKS: resources the tests share with others (for example "registry").
function(suite_add_gtest target)
    cmake_parse_arguments(arg "" "TIMEOUT" "SOURCES;LIBRARIES;LOCKS" ${ARGN})
    add_executable(${target} ${arg_SOURCES})
    target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} suite_test_support GTest::gtest_main)
    suite_test_target(${target})
    # Each test program has a folder of its own, so that files beside it are its own.
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${target})
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 300)
    endif()
    set(suites "")
    foreach(source IN LISTS arg_SOURCES)
        get_filename_component(absolute ${source} ABSOLUTE)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${absolute})
        file(STRINGS ${absolute} lines REGEX "^(TEST|TEST_F|TEST_P)\\(")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
            list(APPEND suites ${suite})
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES suites)
    foreach(suite IN LISTS suites)
        add_test(NAME ${target}.${suite}
                 COMMAND ${target} --gtest_filter=${suite}.*:*/${suite}.*
                 WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${target})
        set_tests_properties(${target}.${suite} PROPERTIES
            FIXTURES_REQUIRED WinePrefix
            TIMEOUT ${arg_TIMEOUT})
        if(arg_LOCKS)
            set_tests_properties(${target}.${suite} PROPERTIES RESOURCE_LOCK "${arg_LOCKS}")
        endif()
    endforeach()
endfunction()
