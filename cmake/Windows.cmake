# Windows build (MinGW-w64): the program, its resources and the integration tests run under Wine.
set(QOR_WIN_LIBS gdiplus comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 oleacc uuid advapi32 version msi imm32 uxtheme
    user32 gdi32 kernel32)

# Static runtime: the program runs on a bare Windows without MinGW DLLs beside it.
set(QOR_STATIC_LINK -static -static-libgcc -static-libstdc++)

target_compile_definitions(qorcore PUBLIC _WIN32_WINNT=0x0601 WINVER=0x0601)

add_library(qorwin STATIC ${QOR_WIN_SOURCES})
target_link_libraries(qorwin PUBLIC qorcore ${QOR_WIN_LIBS})
target_compile_definitions(qorwin PUBLIC NOMINMAX)
target_compile_options(qorwin PRIVATE ${QOR_WARNINGS})

if(EXISTS ${CMAKE_SOURCE_DIR}/core/WinMain_win.cpp)
    set(QOR_RC ${CMAKE_SOURCE_DIR}/resources/QORDesktop.rc)
    add_executable(QORDesktop WIN32 ${CMAKE_SOURCE_DIR}/core/WinMain_win.cpp ${QOR_RC})
    target_link_libraries(QORDesktop PRIVATE qorwin)
    target_link_options(QORDesktop PRIVATE ${QOR_STATIC_LINK})
    set_target_properties(QORDesktop PROPERTIES OUTPUT_NAME QORDesktop)
    target_compile_options(QORDesktop PRIVATE ${QOR_WARNINGS})
    # The version lives in project() only: the resource script's version block and the
    # manifest's identity take it from two files made here, in the build folder.
    set(QOR_GENERATED ${CMAKE_BINARY_DIR}/generated)
    set(QOR_FILE_VERSION_TEXT
        "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
    configure_file(${CMAKE_SOURCE_DIR}/resources/QORDesktop.manifest.in
                   ${QOR_GENERATED}/QORDesktop.manifest @ONLY)
    file(CONFIGURE OUTPUT ${QOR_GENERATED}/QORVersion.h @ONLY CONTENT
"// Made by CMake from project(VERSION) in CMakeLists.txt; do not edit.
#define QOR_FILE_VERSION @PROJECT_VERSION_MAJOR@, @PROJECT_VERSION_MINOR@, @PROJECT_VERSION_PATCH@, 0
#define QOR_FILE_VERSION_TEXT \"@QOR_FILE_VERSION_TEXT@\"
")
    target_include_directories(QORDesktop PRIVATE ${QOR_GENERATED})
    set_property(SOURCE ${QOR_RC} APPEND PROPERTY OBJECT_DEPENDS
        ${QOR_GENERATED}/QORDesktop.manifest ${QOR_GENERATED}/QORVersion.h)
    # windres reports no dependencies: list the files the script embeds so new artwork is picked up.
    file(GLOB QOR_SKIN_PICTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/skin/*.png)
    set_property(SOURCE ${QOR_RC} APPEND PROPERTY OBJECT_DEPENDS ${QOR_SKIN_PICTURES}
        ${CMAKE_SOURCE_DIR}/resources/QORDesktop.ico ${CMAKE_SOURCE_DIR}/resources/resource.h)

    # The shipped pictures live beside the program in SysIcons\.
    add_custom_command(TARGET QORDesktop POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources/SysIcons
                $<TARGET_FILE_DIR:QORDesktop>/SysIcons)
endif()

# GoogleTest cross-built from Debian's sources. On Windows itself an installed GoogleTest (MSYS2's
# package, vcpkg) is used instead; without one the program still builds, the tests do not.
set(QOR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the integration tests")
set(QOR_GTEST_LIBS)
if(EXISTS ${QOR_GTEST_SOURCE}/CMakeLists.txt)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QOR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(QOR_GTEST_LIBS gtest gtest_main)
else()
    find_package(GTest QUIET)
    if(GTest_FOUND)
        set(QOR_GTEST_LIBS GTest::gtest GTest::gtest_main)
    else()
        message(STATUS "GoogleTest not found: the integration tests are not built")
    endif()
endif()

# One test executable for tests/win; it runs under Wine.
file(GLOB_RECURSE QOR_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*Test.cpp)
file(GLOB QOR_FAKES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
if(QOR_WIN_TESTS AND QOR_GTEST_LIBS)
    add_executable(qor_win_tests ${QOR_WIN_TESTS} ${QOR_FAKES})
    target_include_directories(qor_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(qor_win_tests PRIVATE qorwin ${QOR_GTEST_LIBS})
    target_link_options(qor_win_tests PRIVATE ${QOR_STATIC_LINK})
    target_compile_definitions(qor_win_tests PRIVATE QOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    # One ctest entry per GoogleTest case, so a case that hangs or crashes the process is
    # reported by name and the others still run. The cases are listed when ctest starts (the
    # list is made again whenever the program is newer), by running the program under Wine
    # through the cross-compiling emulator; the same emulator runs each case.
    include(GoogleTest)
    gtest_discover_tests(qor_win_tests
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 300
        PROPERTIES
            TIMEOUT 120
            ENVIRONMENT QOR_BUILD_DIR=${CMAKE_BINARY_DIR})
endif()

# A library whose DllMain leaves a marker file, built beside the tests: reading its icons must not run it.
if(TARGET qor_win_tests)
    add_library(qor_marker_library SHARED ${CMAKE_SOURCE_DIR}/tests/win/icons/library/MarkerLibrary.cpp)
    target_link_libraries(qor_marker_library PRIVATE qorwin)
    target_link_options(qor_marker_library PRIVATE ${QOR_STATIC_LINK})
    set_target_properties(qor_marker_library PROPERTIES PREFIX "")
    add_dependencies(qor_win_tests qor_marker_library)
endif()

file(GLOB QOR_WIN_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/win/*.cpp)
foreach(src ${QOR_WIN_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} ${QOR_FAKES})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE qorwin)
    target_link_options(${name} PRIVATE ${QOR_STATIC_LINK})
endforeach()

# The stand-in program the launch tests start: it writes how it was started into a file
# (tests/tools/qor_marker.cpp says where and what). The integration tests run it, and they
# open the program's dialog templates, so they link those too.
add_executable(qor_marker WIN32 ${CMAKE_SOURCE_DIR}/tests/tools/qor_marker.cpp)
target_include_directories(qor_marker PRIVATE ${CMAKE_SOURCE_DIR})
target_link_options(qor_marker PRIVATE ${QOR_STATIC_LINK})
# Sends a registered window message to every top-level window ("TaskbarCreated" for the tray
# journey of the end-to-end tests).
add_executable(qor_broadcast WIN32 ${CMAKE_SOURCE_DIR}/tests/tools/qor_broadcast.cpp)
target_link_options(qor_broadcast PRIVATE ${QOR_STATIC_LINK})
# Drags a file list onto a point of the screen with OLE, as the shell does (the drop journeys).
add_executable(qor_drag ${CMAKE_SOURCE_DIR}/tests/tools/qor_drag.cpp)
target_link_libraries(qor_drag PRIVATE ole32 shell32 uuid)
target_link_options(qor_drag PRIVATE ${QOR_STATIC_LINK} -municode)
# Drives another program's dialogs through their controls (the journeys' hands on the dialogs).
add_executable(qor_dialog ${CMAKE_SOURCE_DIR}/tests/tools/qor_dialog.cpp)
target_link_options(qor_dialog PRIVATE ${QOR_STATIC_LINK} -municode)
# Reads a window's accessible object from another process, as a screen reader does, and can run
# an element's default action (tests/tools/qor_access_client.cpp says how).
add_executable(qor_access_client ${CMAKE_SOURCE_DIR}/tests/tools/qor_access_client.cpp)
target_link_libraries(qor_access_client PRIVATE oleacc ole32 oleaut32)
target_link_options(qor_access_client PRIVATE ${QOR_STATIC_LINK})
# Drives the settings window's pages, sliders and tabs and the tour for the end-to-end journeys (a console
# program: it prints what it finds).
add_executable(qor_controls ${CMAKE_SOURCE_DIR}/tests/tools/qor_controls.cpp)
target_link_options(qor_controls PRIVATE ${QOR_STATIC_LINK})
set(QOR_DIALOGS_RC ${CMAKE_SOURCE_DIR}/resources/Dialogs.rc)
file(GLOB QOR_DIALOG_PICTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/tour/*.png
     ${CMAKE_SOURCE_DIR}/resources/logo/*.png)
set_property(SOURCE ${QOR_DIALOGS_RC} ${CMAKE_SOURCE_DIR}/resources/QORDesktop.rc APPEND PROPERTY OBJECT_DEPENDS
    ${QOR_DIALOGS_RC} ${CMAKE_SOURCE_DIR}/resources/resource.h ${QOR_DIALOG_PICTURES})
if(TARGET qor_win_tests)
    add_dependencies(qor_win_tests qor_marker qor_access_client)
    target_sources(qor_win_tests PRIVATE ${QOR_DIALOGS_RC})
endif()
