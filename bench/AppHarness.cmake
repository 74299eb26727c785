# What a benchmark harness built on the program's windows needs, beyond a core harness's
# (CoreHarness.cmake): the build folder's window and wiring libraries, and one function
# that makes the harness program with the project's warnings, linked with the wiring, the
# windows and the core, with the test suite's scripted dialog answers compiled in (nothing
# of the tests is needed at run time) and the stand-in mixer of bench/AppHarness.h.
include(${CMAKE_CURRENT_LIST_DIR}/CoreHarness.cmake)
# The wiring's library is built in src/app of the build folder, the others at its top.
foreach(lib zelvo_app zelvo_gui zelvo_core)
    find_file(ZELVO_LIB_${lib} lib${lib}.a PATHS ${ZELVO_BUILD_DIR} ${ZELVO_BUILD_DIR}/src/app
              NO_DEFAULT_PATH NO_CACHE)
    if(NOT ZELVO_LIB_${lib})
        message(FATAL_ERROR "lib${lib}.a not found in ZELVO_BUILD_DIR='${ZELVO_BUILD_DIR}'")
    endif()
endforeach()

find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets OpenGL OpenGLWidgets DBus)

# zelvo_app_bench(target source): the harness program, linked with the program's libraries.
function(zelvo_app_bench target source)
    zelvo_core_bench(${target} ${source})
    target_sources(${target} PRIVATE ${ZELVO_SOURCE_DIR}/tests/support/ScriptedDialogs.cpp)
    target_include_directories(${target} PRIVATE ${ZELVO_SOURCE_DIR}/tests/support
                                                 ${ZELVO_SOURCE_DIR}/bench)
    # The wiring first, then the windows: each calls into the one after it.
    target_link_libraries(${target} PRIVATE
        ${ZELVO_LIB_zelvo_app} ${ZELVO_LIB_zelvo_gui} ${ZELVO_LIB_zelvo_core}
        Qt6::Widgets Qt6::OpenGL Qt6::OpenGLWidgets Qt6::DBus)
    # The window installs its tools with the ZelvoResFLV beside itself; that one finds the
    # tool program beside its own (resolved) path.
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E create_symlink ${ZELVO_BUILD_DIR}/bin/ZelvoResFLV
                $<TARGET_FILE_DIR:${target}>/ZelvoResFLV)
endfunction()
