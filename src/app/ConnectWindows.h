#pragma once

class frmList;
class frmMain;

// Hands each window the other, and both to the tools' busy session, and keeps the menu
// items they share in step. Until disconnectWindows the windows must outlive the
// connection.
void connectWindows(frmMain& player, frmList& list);
void disconnectWindows(frmMain& player, frmList& list);
