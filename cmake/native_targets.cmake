# The native build: the POSIX stub, qelpack, the samples, tests, benchmarks
# and (with clang) fuzzers.
set(QEL_WARNINGS -Wall -Wextra -Werror)
option(QEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QEL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        # Coverage for the fuzzers in every library they link.
        add_compile_options(-fsanitize=fuzzer-no-link)
    endif()
endif()

include_directories(${PROJECT_SOURCE_DIR})

add_library(qel_expand STATIC expand/bit_reader.cpp expand/lzss_expander.cpp)
add_library(qel_package STATIC package/package_trailer.cpp)
add_library(qel_stub_core STATIC
    bootstrap/bootstrap_run.cpp
    bootstrap/error_reporting.cpp
    package/payload_extraction.cpp)
target_link_libraries(qel_stub_core PUBLIC qel_package qel_expand)

add_library(qel_platform_posix STATIC platform/platform_posix.cpp)
target_link_libraries(qel_platform_posix PUBLIC ${CMAKE_DL_LIBS})
add_library(qel_platform_recording STATIC platform/recording_platform.cpp)

# The POSIX stub: core first, then the platform it calls into.
add_executable(qelsetup platform/startup_posix.cpp)
target_link_libraries(qelsetup PRIVATE qel_stub_core qel_platform_posix)

# qelpack and its encoder; it links the stub's expander and trailer code.
add_library(qel_pack STATIC
    pack/match_finder.cpp
    pack/lzss_encoder.cpp
    pack/pe_image.cpp
    pack/elf_image.cpp
    pack/atomic_output.cpp
    pack/file_bytes.cpp
    pack/package_builder.cpp
    pack/package_inspector.cpp)
target_link_libraries(qel_pack PUBLIC qel_package qel_expand)
add_executable(qelpack tools/qelpack/qelpack.cpp)
target_link_libraries(qelpack PRIVATE qel_pack)

foreach(target qel_expand qel_package qel_stub_core qel_platform_posix
        qel_platform_recording qelsetup qel_pack qelpack)
    target_compile_options(${target} PRIVATE ${QEL_WARNINGS})
endforeach()

add_subdirectory(samples)

include(CTest)
if(BUILD_TESTING)
    add_subdirectory(tests)
endif()

option(QEL_BENCHMARKS "Build the benchmarks" ON)
if(QEL_BENCHMARKS)
    add_subdirectory(bench)
endif()

if(BUILD_TESTING)
    add_subdirectory(fuzz)
endif()
