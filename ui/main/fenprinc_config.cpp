// The settings menu of btnConfig: autostart, the adult section and the theme.
// The menu keeps no state: its check marks are read again at every opening.
#include "app/autostart.h"
#include "app/config.h"
#include "base/errors.h"
#include "ui/controls/btngraph.h"
#include "ui/main/fenprinc.h"

#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>

void TfmPrinc::createConfigMenu()
{
    const auto item = [this](const char* name, const QString& caption) {
        auto* a = new QAction(caption, mnuConfig);
        a->setObjectName(QLatin1String(name));
        mnuConfig->addAction(a);
        return a;
    };
    mnuConfigLanceAuto = item("mnuConfigLanceAuto", QStringLiteral("Lancement &automatique"));
    mnuConfigLanceAuto->setCheckable(true);
    mnuConfigSexoflux = item("mnuConfigSexoflux", QStringLiteral("Rubrique &Sexoflux"));
    mnuConfigSexoflux->setCheckable(true);
    Thmes1 = item("Thmes1", QStringLiteral("-------- Thèmes --------"));
    Thmes1->setEnabled(false);

    // The caption's digit is the order in the menu; the tag is the theme number.
    mnuConfigThemes = new QActionGroup(mnuConfig);
    mnuConfigThemes->setExclusive(true);
    const auto theme = [&](const char* name, const QString& caption, int number) {
        QAction* a = item(name, caption);
        a->setCheckable(true);
        a->setData(number);
        mnuConfigThemes->addAction(a);
        return a;
    };
    mnuConfigTheme2 = theme("mnuConfigTheme2", QStringLiteral("&0 - Basic (défaut)"), 2);
    mnuConfigTheme1 = theme("mnuConfigTheme1", QStringLiteral("&1 - Tagada"), 1);
    mnuConfigTheme4 = theme("mnuConfigTheme4", QStringLiteral("&2 - Chlorophylle"), 4);
    mnuConfigTheme5 = theme("mnuConfigTheme5", QStringLiteral("&3 - Moon"), 5);
    mnuConfigTheme3 = theme("mnuConfigTheme3", QStringLiteral("&4 - Mac fashion"), 3);

    connect(mnuConfig, &QMenu::aboutToShow, this, guard([this] { mnuConfigPopup(); }));
    // Qt toggles a checkable item before telling us; the marks only follow the
    // files, so the toggle is undone first.
    connect(mnuConfigLanceAuto, &QAction::triggered, this, [this](bool checked) {
        mnuConfigLanceAuto->setChecked(!checked);
        runHandler([this] { mnuConfigLanceAutoClick(); });
    });
    connect(mnuConfigSexoflux, &QAction::triggered, this, [this](bool checked) {
        mnuConfigSexoflux->setChecked(!checked);
        runHandler([this] { mnuConfigSexofluxClick(mnuConfigSexoflux); });
    });
    for (QAction* a : mnuConfigThemes->actions())
        connect(a, &QAction::triggered, this, guard([this, a] { mnuConfigThemeClick(a); }));
}

void TfmPrinc::btnConfigClick()
{
    // The window has no border: its position is its client origin. The check
    // marks are rebuilt by aboutToShow.
    const QPoint at(
        x() + btnConfig->x() + btnConfig->width() / 2, y() + btnConfig->y() + btnConfig->height() / 2);
    mnuConfig->popup(at);
}

void TfmPrinc::mnuConfigPopup()
{
    mnuConfigLanceAuto->setChecked(false);
    zv::swallowed([this] { mnuConfigLanceAuto->setChecked(IsAutostartOn()); });

    zv::swallowed([this] {
        const TConfig config;
        // A theme number without an item leaves the marks as they are.
        const QString name = QStringLiteral("mnuConfigTheme") + QString::number(config.GetTheme());
        for (QAction* a : mnuConfigThemes->actions()) {
            if (a->objectName() == name)
                a->setChecked(true);
        }
    });

    mnuConfigSexoflux->setChecked(false);
    zv::swallowed([this] { mnuConfigSexoflux->setChecked(TConfig().GetSexoflux()); });
}

void TfmPrinc::mnuConfigLanceAutoClick()
{
    // The mark shows the state read when the menu opened; the next opening
    // reads the entry again.
    const bool wasOn = mnuConfigLanceAuto->isChecked();
    zv::swallowed([wasOn] { SetAutostart(!wasOn); });
}

void TfmPrinc::mnuConfigSexofluxClick(QObject* sender)
{
    zv::swallowed([&] {
        TConfig config;
        if (sender)
            config.SetSexoflux(!config.GetSexoflux());
    });
    zv::swallowed([&] {
        const bool on = TConfig().GetSexoflux();
        btnFctSexo->setVisible(on);
        btnFctVideo->setVisible(!on);
    });
}

void TfmPrinc::mnuConfigThemeClick(QAction* sender)
{
    if (!sender)
        return;
    const int theme = sender->data().toInt();
    zv::swallowed([theme] { TConfig().SetTheme(theme); });
    QMessageBox::information(this, QGuiApplication::applicationDisplayName(),
        QStringLiteral("Vous devez relancer le programme pour utiliser le nouveau thème."), QMessageBox::Ok);
    // The new theme applies at the next start; closing the window ends the program.
    close();
}
