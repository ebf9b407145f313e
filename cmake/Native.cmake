# Native (Debian) build: the portable core, its unit tests, benchmarks and fuzz targets.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB_RECURSE QOR_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
file(GLOB QOR_FAKES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)

add_library(qorfakes STATIC ${QOR_FAKES})
target_link_libraries(qorfakes PUBLIC qorcore)
target_include_directories(qorfakes PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(qorfakes PRIVATE ${QOR_WARNINGS})

add_executable(qor_unit_tests ${QOR_UNIT_TESTS})
target_link_libraries(qor_unit_tests PRIVATE qorfakes GTest::gtest GTest::gtest_main)
target_compile_options(qor_unit_tests PRIVATE ${QOR_WARNINGS})
target_compile_definitions(qor_unit_tests PRIVATE QOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(qor_unit_tests DISCOVERY_TIMEOUT 60)

# Benchmarks print figures; they are not tests.
file(GLOB QOR_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/native/*.cpp)
foreach(src ${QOR_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE qorfakes)
    target_compile_options(${name} PRIVATE ${QOR_WARNINGS})
endforeach()

# libFuzzer targets need clang; they are built in a separate tree by scripts/fuzz.sh.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND QOR_FUZZ)
    file(GLOB QOR_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
    foreach(src ${QOR_FUZZERS})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        target_link_libraries(${name} PRIVATE qorfakes)
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    endforeach()
    target_compile_options(qorcore PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    target_compile_options(qorfakes PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
