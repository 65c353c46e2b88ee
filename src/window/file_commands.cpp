#include "window/form1.h"

void Form1::MuOpen_Click() {}
void Form1::MuSave_Click() {}
void Form1::MuSave2_Click() {}
void Form1::MuSaveAs_Click() {}
void Form1::MuSaveAs2_Click() {}
void Form1::MuNew_Click() {}
void Form1::MuExit_Click() {}
void Form1::Form_Unload(bool&) {}
QString Form1::ShowFileDialog(bool, const QString&, const QString&, int, int, const QString&,
                              const QString&) {
    return {};
}
bool Form1::writeBox(const QString&, const QString&) {
    return false;
}
int Form1::askToSaveChanges() {
    return 0;
}
void Form1::reportFileError(int, const QString&) {}
