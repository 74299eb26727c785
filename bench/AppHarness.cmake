# What a benchmark harness built on the program's windows needs: the language level, the
# build folder it measures (ZELVO_BUILD_DIR, its static libraries and bin/), and one
# function that makes the harness program with the project's warnings, linked with the
# wiring, the windows and the core, and the test suite's scripted dialog answers compiled
# in (nothing of the tests is needed at run time).
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release)
endif()

set(ZELVO_BUILD_DIR "" CACHE PATH "the program's build folder (its libraries and bin/)")
get_filename_component(ZELVO_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
# The wiring's library is built in src/app of the build folder, the others at its top.
foreach(lib zelvo_app zelvo_gui zelvo_core)
    find_file(ZELVO_LIB_${lib} lib${lib}.a PATHS ${ZELVO_BUILD_DIR} ${ZELVO_BUILD_DIR}/src/app
              NO_DEFAULT_PATH NO_CACHE)
    if(NOT ZELVO_LIB_${lib})
        message(FATAL_ERROR "lib${lib}.a not found in ZELVO_BUILD_DIR='${ZELVO_BUILD_DIR}'")
    endif()
endforeach()

find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Network OpenGL OpenGLWidgets DBus)
find_package(PkgConfig REQUIRED)
pkg_check_modules(MPV REQUIRED IMPORTED_TARGET mpv)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
pkg_check_modules(APPAV REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswscale)
set(CMAKE_AUTOMOC ON)

# zelvo_app_bench(target source): the harness program, linked with the program's libraries.
function(zelvo_app_bench target source)
    add_executable(${target} ${source} ${ZELVO_SOURCE_DIR}/tests/support/ScriptedDialogs.cpp)
    target_include_directories(${target} PRIVATE ${ZELVO_SOURCE_DIR}/src
                                                 ${ZELVO_SOURCE_DIR}/tests/support)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast
                                             -Wconversion -Wsign-conversion -Werror)
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                 QT_NO_KEYWORDS)
    # The wiring first, then the windows: each calls into the one after it.
    target_link_libraries(${target} PRIVATE
        ${ZELVO_LIB_zelvo_app} ${ZELVO_LIB_zelvo_gui} ${ZELVO_LIB_zelvo_core}
        Qt6::Widgets Qt6::Gui Qt6::OpenGL Qt6::OpenGLWidgets Qt6::DBus Qt6::Network Qt6::Core
        PkgConfig::MPV PkgConfig::ALSA PkgConfig::APPAV)
    # The window installs its tools with the ZelvoResFLV beside itself; that one finds the
    # tool program beside its own (resolved) path.
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E create_symlink ${ZELVO_BUILD_DIR}/bin/ZelvoResFLV
                $<TARGET_FILE_DIR:${target}>/ZelvoResFLV)
endfunction()
