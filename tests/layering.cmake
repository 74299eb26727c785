# The layers of the tree: src/core includes only the core, src/gui the core and itself,
# and nothing includes src/app; the unit tests see only the core. Run by CTest with
# -DROOT=<source folder>; names every include that crosses a layer and fails.
set(rules
    "src/core:gui/|app/"
    "src/gui:app/"
    "tests/unit:gui/|app/")
set(found "")
foreach(rule ${rules})
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 banned)
    file(GLOB_RECURSE files ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
    foreach(file ${files})
        file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${banned})")
        foreach(line ${lines})
            file(RELATIVE_PATH name ${ROOT} ${file})
            string(APPEND found "  ${name}: ${line}\n")
        endforeach()
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "Includes that cross a layer:\n${found}")
endif()
