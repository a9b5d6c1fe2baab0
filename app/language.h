#pragma once
// The program speaks French whatever the machine's locale: Qt's own texts,
// numbers, sizes and dates (the open and save dialogs among them) included.
class QApplication;

// Qt's French translations and the few texts they miss, French for every
// number and date Qt writes, file dialogs that show sizes, dates and kinds in
// French with columns and a side bar that fit them, and numbers in the C
// library kept in the C form that the media libraries need.
void InstallFrenchTexts(QApplication& app);
