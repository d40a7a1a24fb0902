# The Windows builds: the stub, the sample libraries and a probe of the
# error reporting. The 32-bit and 64-bit builds use exactly the same
# sources and options; only the target differs.
enable_language(RC)
include_directories(${PROJECT_SOURCE_DIR})

# The stub links no C runtime start-up and no C++ runtime: its entry is
# stubEntry, and it imports only KERNEL32, USER32 and msvcrt.
set(QEL_STUB_COMPILE_OPTIONS
    -Wall -Wextra -Werror
    -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
    -fno-ident -ffunction-sections -fno-stack-protector
    -fno-threadsafe-statics)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(QEL_ENTRY_SYMBOL _stubEntry)
else()
    set(QEL_ENTRY_SYMBOL stubEntry)
endif()
set(QEL_STUB_LINK_OPTIONS
    -nostartfiles -nodefaultlibs -mwindows -s
    -Wl,-e,${QEL_ENTRY_SYMBOL}
    -Wl,--gc-sections
    -Wl,--no-insert-timestamp
    -Wl,--subsystem,windows)
set(QEL_STUB_LIBRARIES kernel32 user32 msvcrt gcc)

# Links a program the way the stub is linked, and clears its header
# checksum afterwards so the image can carry appended data. The sources
# are compiled as one unit, so the compiler can fold the small platform
# functions into their callers; the stub's image is then about a quarter
# smaller. (Data sections are not split per object: the mingw linker would
# place the zero-filled buffers in .data instead of .bss.)
function(qel_stub_image target)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
    target_compile_options(${target} PRIVATE ${QEL_STUB_COMPILE_OPTIONS})
    target_link_options(${target} PRIVATE ${QEL_STUB_LINK_OPTIONS})
    target_link_libraries(${target} PRIVATE ${QEL_STUB_LIBRARIES})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/clear_pe_checksum.sh $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()

# The application icon is drawn by a script of ours at build time.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QEL_ICON ${CMAKE_BINARY_DIR}/resources/setup.ico)
add_custom_command(OUTPUT ${QEL_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/resources/make_icon.py ${QEL_ICON}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/make_icon.py
    VERBATIM)
set_source_files_properties(resources/stub.rc PROPERTIES OBJECT_DEPENDS ${QEL_ICON})

add_executable(qelsetup WIN32
    ${STUB_CORE_SOURCES}
    platform/platform_win32.cpp
    platform/startup_win32.cpp
    resources/stub.rc)
target_include_directories(qelsetup PRIVATE ${CMAKE_BINARY_DIR}/resources)
qel_stub_image(qelsetup)

# A probe for the tests: reports one text through the stub's reporting
# code and shows it again, so its boxes can be read from Wine's relay log.
add_executable(report_probe WIN32
    bootstrap/error_reporting.cpp
    platform/platform_win32.cpp
    tests/windows/report_probe.cpp)
qel_stub_image(report_probe)

add_subdirectory(samples)
