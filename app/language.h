#pragma once
// The program speaks French whatever the machine's locale: Qt's own texts,
// numbers, sizes and dates (the open and save dialogs among them) included.
class QApplication;

// Around the construction of the QApplication: Qt takes the system's locale
// from the environment once, at start. Before it, the environment says
// French; after it, the user's environment comes back, so that the programs
// started from here (the browser) and the C library keep the user's own, but
// for numbers, which the media libraries want in the C form.
void SpeakFrenchBeforeApplication();
void SpeakFrenchAfterApplication();

// Qt's French translations, the few texts they miss, and file dialogs whose
// columns and side bar fit what they show.
void InstallFrenchTexts(QApplication& app);
