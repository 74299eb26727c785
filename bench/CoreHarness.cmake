# What a benchmark harness built on the program's core library needs: the language level,
# the build folder it measures (ZELVO_BUILD_DIR, its libzelvo_core.a and bin/), and one
# function that makes the harness program with the project's warnings.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release)
endif()

set(ZELVO_BUILD_DIR "" CACHE PATH "the program's build folder (its libraries and bin/)")
get_filename_component(ZELVO_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
if(NOT EXISTS ${ZELVO_BUILD_DIR}/libzelvo_core.a)
    message(FATAL_ERROR "libzelvo_core.a not found in ZELVO_BUILD_DIR='${ZELVO_BUILD_DIR}'")
endif()

find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Network)
find_package(PkgConfig REQUIRED)
pkg_check_modules(MPV REQUIRED IMPORTED_TARGET mpv)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
# The seek-bar preview's reader in the core decodes with the ffmpeg libraries.
pkg_check_modules(COREAV REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswscale)
set(CMAKE_AUTOMOC ON)

# zelvo_core_bench(target source): the harness program, linked with the core library.
function(zelvo_core_bench target source)
    add_executable(${target} ${source})
    target_include_directories(${target} PRIVATE ${ZELVO_SOURCE_DIR}/src)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast
                                             -Wconversion -Wsign-conversion -Werror)
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                 QT_NO_KEYWORDS)
    target_link_libraries(${target} PRIVATE ${ZELVO_BUILD_DIR}/libzelvo_core.a Qt6::Gui
                                            Qt6::Network Qt6::Core PkgConfig::MPV
                                            PkgConfig::ALSA PkgConfig::COREAV)
endfunction()
