#include "ToolMain.h"

// One program, three tools: which one runs depends on the name it was started
// under (the resource program installs copies named ~tmpExtMcd, ~tmpExtFmg and
// ~tmpExtFmd).
int main(int argc, char** argv) {
    return exttool::toolMain(argc, argv);
}
