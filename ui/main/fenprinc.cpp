#include "ui/main/fenprinc.h"

#include "app/versioninfo.h"
#include "base/errors.h"
#include "portal/freedmemory.h"
#include "portal/nmhttp.h"
#include "portal/portalhost.h"
#include "portal/version.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/main/channelmodel.h"
#include "ui/main/entrymodel.h"
#include "ui/main/playbackmemory.h"
#include "ui/player/cadcurseur.h"
#include "ui/player/cadplayer.h"
#include "ui/tv/elidedcombo.h"
#include "ui/windows/fenconnexion.h"
#include "ui/windows/fenjeu.h"
#include "ui/windows/fensponsor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int kDesignedWidth = 790;
constexpr int kDesignedHeight = 600;

QWidget* marker(QWidget* parent, const char* name, int left, int top)
{
    auto* w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(left, top, 17, 17);
    w->hide(); // layout markers are never seen
    return w;
}

TBtnGraph* imageButton(QWidget* parent, const char* name, const QString& caption, int left, int top,
    int width, int height, const QString& hint = {})
{
    auto* b = new TBtnGraph(parent);
    b->setObjectName(QLatin1String(name));
    b->setCaption(caption);
    b->setGeometry(left, top, width, height);
    if (!hint.isEmpty())
        b->setHint(hint);
    return b;
}

QFrame* panel(QWidget* parent, const char* name)
{
    auto* p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    p->hide();
    return p;
}

QVBoxLayout* column(QWidget* w, int spacing = 0)
{
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(spacing);
    return l;
}

QPushButton* flatButton(QWidget* parent, const char* name, const QString& caption, bool bold = true)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    return b;
}

// A search row: "Mots clés :", the words, and the OK button that searches.
QHBoxLayout* searchRow(QWidget* parent, QLabel*& label, QLineEdit*& words, const char* wordsName,
    QPushButton*& ok, const char* okName)
{
    auto* row = new QHBoxLayout;
    label = new QLabel(QStringLiteral("Mots clés :"), parent);
    words = new QLineEdit(parent);
    words->setObjectName(QLatin1String(wordsName));
    words->setFrame(false);
    ok = flatButton(parent, okName, QStringLiteral("OK"));
    row->addWidget(label);
    row->addWidget(words, 1);
    row->addWidget(ok);
    return row;
}

// A report-style list of the rows of model: whole-row selection, read-only.
QTreeView* reportList(QWidget* parent, const char* name, TEntryModel* model, bool headers)
{
    auto* t = new QTreeView(parent);
    t->setObjectName(QLatin1String(name));
    t->setModel(model);
    t->setHeaderHidden(!headers);
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setAllColumnsShowFocus(true);
    return t;
}

} // namespace

TfmPrinc::TfmPrinc(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("fmPrinc"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);
    setFixedSize(kDesignedWidth, kDesignedHeight);

    createShell();
    createConfigMenu();
    createChannelList();
    createPlayer();
    createWebPanels();
    createGames();
    createMOD();
    createVideo();
    createTele(); // after the player: it adds to its panel
    createRequests();
    bindHandlers();
    setupAccessibility();
}

TfmPrinc::~TfmPrinc()
{
    FormDestroy();
}

void TfmPrinc::createShell()
{
    imgFond = new QLabel(this);
    imgFond->setObjectName(QStringLiteral("imgFond"));
    imgFond->setGeometry(0, 0, kDesignedWidth, kDesignedHeight);
    imgFond->installEventFilter(this);

    shpPlayerHG = marker(this, "shpPlayerHG", 32, 200);
    shpPlayerBD = marker(this, "shpPlayerBD", 400, 504);
    shpListeCanauxHG = marker(this, "shpListeCanauxHG", 472, 200);
    shpListeCanauxBD = marker(this, "shpListeCanauxBD", 720, 504);
    shpPubHG = marker(this, "shpPubHG", 144, 120);
    shpPubBD = marker(this, "shpPubBD", 595, 163);

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(8, 24, 120, 50);
    imgLogo->setAttribute(Qt::WA_TransparentForMouseEvents);

    lblTitre = new QLabel(this);
    lblTitre->setObjectName(QStringLiteral("lblTitre"));
    lblTitre->setGeometry(8, 4, 300, 16);
    lblTitre->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblMarque = new QLabel(this);
    lblMarque->setObjectName(QStringLiteral("lblMarque"));
    lblMarque->setGeometry(480, 582, 300, 16);
    lblMarque->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblMarque->setAttribute(Qt::WA_TransparentForMouseEvents);

    btnFctAccueil = imageButton(this, "btnFctAccueil", QStringLiteral("Accueil"), 24, 80, 81, 25);
    btnFctTele = imageButton(this, "btnFctTele", QStringLiteral("Télévision"), 192, 80, 81, 25);
    btnFctClipVideo = imageButton(this, "btnFctClipVideo", QStringLiteral("Clips vidéo"), 280, 80, 81, 25);
    btnFctMOD = imageButton(this, "btnFctMOD", QStringLiteral("M. O. D"), 360, 80, 81, 25);
    btnFctRadio = imageButton(this, "btnFctRadio", QStringLiteral("Radios"), 432, 80, 81, 25);
    btnFctJeux = imageButton(this, "btnFctJeux", QStringLiteral("Jeux"), 520, 80, 81, 25);
    btnFctChat = imageButton(this, "btnFctChat", QStringLiteral("Chat"), 608, 80, 81, 25);
    btnFctSexo = imageButton(this, "btnFctSexo", QStringLiteral("Sexoflux"), 703, 80, 81, 25);
    btnFctVideo = imageButton(this, "btnFctVideo", QStringLiteral("Vidéos"), 703, 56, 81, 25);
    btnContact = imageButton(
        this, "btnContact", QStringLiteral("Mail"), 368, 528, 51, 51, QStringLiteral("Nous écrire"));
    btnConfig = imageButton(
        this, "btnConfig", QStringLiteral("Config."), 432, 528, 51, 51, QStringLiteral("Personnalisation"));
    btnMinimise = imageButton(this, "btnMinimise", QString(), 739, 0, 23, 21);
    btnFerme = imageButton(this, "btnFerme", QString(), 764, 0, 23, 21);
    for (TBtnGraph* b : {btnMinimise, btnFerme, btnConfig, btnContact})
        b->setCursor(Qt::PointingHandCursor);
    for (TBtnGraph* b : sectionButtons())
        b->setCursor(Qt::PointingHandCursor);

    slMessage = new TScrollLabel(this);
    slMessage->setObjectName(QStringLiteral("slMessage"));
    slMessage->setGeometry(240, 32, 241, 25);
    slMessage->setPeriodicite(0); // still until the message arrives
    slMessage->setPas(5);

    timLecture = new QTimer(this);
    timLecture->setObjectName(QStringLiteral("timLecture"));
    timLecture->setInterval(500);
    timPub = new QTimer(this);
    timPub->setObjectName(QStringLiteral("timPub"));
    timPub->setInterval(60000);

    mnuConfig = new QMenu(this);
    mnuConfig->setObjectName(QStringLiteral("mnuConfig"));

    panAccueilG = panel(this, "panAccueilG");
    panAccueilD = panel(this, "panAccueilD");
    panPub = new QFrame(this);
    panPub->setObjectName(QStringLiteral("panPub"));
    panPub->setGeometry(144, 120, 145, 49);
    panPlayer = panel(this, "panPlayer");
    panListeCanaux = panel(this, "panListeCanaux");
    panContact = panel(this, "panContact");
    panChat = panel(this, "panChat");
    panListeJeux = panel(this, "panListeJeux");
    panJeu = panel(this, "panJeu");
    pcMOD = new QTabWidget(this);
    pcMOD->setObjectName(QStringLiteral("pcMOD"));
    pcMOD->hide();
    panSexo = panel(this, "panSexo");
    panVideo = panel(this, "panVideo");
}

void TfmPrinc::createChannelList()
{
    auto* l = column(panListeCanaux, 2);
    panBouquet = new QFrame(panListeCanaux);
    panBouquet->setObjectName(QStringLiteral("panBouquet"));
    auto* bl = new QHBoxLayout(panBouquet);
    bl->setContentsMargins(2, 2, 2, 2);
    lblBouquet = new QLabel(QStringLiteral("Bouquet TV : "), panBouquet);
    lblBouquet->setObjectName(QStringLiteral("lblBouquet"));
    cmbBouquet = new TElidedComboBox(panBouquet);
    cmbBouquet->setObjectName(QStringLiteral("cmbBouquet"));
    cmbBouquet->addItems({QStringLiteral("Zevalo (depuis n'importe où dans le monde)"),
        QStringLiteral("Freebox TV (uniquement depuis FreeBox 3 ou +)"),
        QStringLiteral("Orange TV (uniquement depuis LiveBox)"),
        QStringLiteral("Club internet (uniquement depuis TV Box)"),
        QStringLiteral("Belgacom (uniquement depuis Belgacom TV)")});
    cmbBouquet->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbBouquet->setMinimumContentsLength(10);
    // The entries are long: the open list shows them whole.
    cmbBouquet->view()->setMinimumWidth(cmbBouquet->view()->sizeHintForColumn(0) + 24);
    bl->addWidget(lblBouquet);
    bl->addWidget(cmbBouquet, 1);
    panBouquet->hide();

    lblListeCanaux = new QLabel(QStringLiteral("Liste"), panListeCanaux);
    lblListeCanaux->setObjectName(QStringLiteral("lblListeCanaux"));
    lblListeCanaux->setAlignment(Qt::AlignCenter);

    lvListeCanauxModel = new TChannelListModel(this);
    lvListeCanaux = new QListView(panListeCanaux);
    lvListeCanaux->setObjectName(QStringLiteral("lvListeCanaux"));
    lvListeCanaux->setModel(lvListeCanauxModel);
    lvListeCanaux->setUniformItemSizes(true);
    lvListeCanaux->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvListeCanaux->setSelectionMode(QAbstractItemView::SingleSelection);
    lvListeCanaux->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvListeCanaux->setIconSize(QSize(16, 16));
    lvListeCanaux->setLayoutMode(QListView::Batched); // big bouquets lay out in steps
    lvListeCanaux->setBatchSize(2000);
    l->addWidget(panBouquet);
    l->addWidget(lblListeCanaux);
    l->addWidget(lvListeCanaux, 1);

    lblChatRadio = new QLabel(QStringLiteral("Ecouter la radio en chattant :"), this);
    lblChatRadio->setObjectName(QStringLiteral("lblChatRadio"));
    lblChatRadio->setGeometry(496, 530, 200, 16);
    lblChatRadio->hide();
    cmbChatRadioModel = new TChatRadioModel(lvListeCanauxModel, this);
    cmbChatRadio = new QComboBox(this);
    cmbChatRadio->setObjectName(QStringLiteral("cmbChatRadio"));
    cmbChatRadio->setModel(cmbChatRadioModel);
    cmbChatRadio->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbChatRadio->setMinimumContentsLength(12);
    if (auto* view = qobject_cast<QListView*>(cmbChatRadio->view()))
        view->setUniformItemSizes(true);
    cmbChatRadio->setGeometry(496, 548, 220, 22);
    cmbChatRadio->hide();
}

void TfmPrinc::createPlayer()
{
    auto* l = column(panPlayer);
    frmPlayer = new TfrmPlayer(panPlayer);
    frmPlayer->setObjectName(QStringLiteral("frmPlayer"));
    lblStatutPlayer = new QLabel(panPlayer);
    lblStatutPlayer->setObjectName(QStringLiteral("lblStatutPlayer"));
    lblStatutPlayer->setAlignment(Qt::AlignCenter);
    lblStatutPlayer->setFixedHeight(18);
    frmCurseurVideo = new TfrmCurseur(panPlayer);
    frmCurseurVideo->setObjectName(QStringLiteral("frmCurseurVideo"));
    frmCurseurVideo->SetupPosition(293);
    frmCurseurVideo->setFixedHeight(21);
    frmCurseurVideo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    l->addWidget(frmPlayer, 1);
    l->addWidget(lblStatutPlayer);
    l->addWidget(frmCurseurVideo);

    btnLecture = imageButton(
        this, "btnLecture", QStringLiteral("Lecture"), 32, 528, 51, 51, QStringLiteral("Lecture / Stop"));
    btnPause = imageButton(
        this, "btnPause", QStringLiteral("Pause"), 88, 528, 51, 51, QStringLiteral("Pause / Reprise"));
    btnPleinEcran = imageButton(this, "btnPleinEcran", QStringLiteral("P.Ecran"), 144, 528, 51, 51,
        QStringLiteral("Plein écran (Escape pour annuler)"));
    btnMuet = imageButton(
        this, "btnMuet", QStringLiteral("Muet"), 200, 528, 51, 51, QStringLiteral("Sourdine / Ecoute"));
    for (TBtnGraph* b : {btnLecture, btnPause, btnPleinEcran, btnMuet})
        b->setCursor(Qt::PointingHandCursor);
    btnPause->setActif(false);
    btnPleinEcran->setActif(false);
    btnMuet->setActif(false);

    frmCurseurSon = new TfrmCurseur(this);
    frmCurseurSon->setObjectName(QStringLiteral("frmCurseurSon"));
    frmCurseurSon->SetupVolume();
    frmCurseurSon->move(264, 541);
    frmCurseurSon->SetFraction(0.8);

    lblTelechargerMusique = new QLabel(QStringLiteral("Télécharge cette musique sur ton pertable"), this);
    lblTelechargerMusique->setObjectName(QStringLiteral("lblTelechargerMusique"));
    lblTelechargerMusique->setCursor(Qt::PointingHandCursor);
    // The longest text takes two lines where the bar is narrow.
    lblTelechargerMusique->setWordWrap(true);
    lblTelechargerMusique->setGeometry(496, 560, 280, 16);
    lblTelechargerMusique->hide();
}

void TfmPrinc::createWebPanels()
{
    const auto browser = [](QFrame* host, const char* name) {
        auto* wb = new TWebBrowser(host);
        wb->setObjectName(QLatin1String(name));
        column(host)->addWidget(wb);
        return wb;
    };
    wbAccueilG = browser(panAccueilG, "wbAccueilG");
    wbAccueilD = browser(panAccueilD, "wbAccueilD");
    wbContact = browser(panContact, "wbContact");
    wbChat = browser(panChat, "wbChat");
    wbSexo = browser(panSexo, "wbSexo");
    // The ad page is larger than its band: only its top-left part shows, and
    // the offset hides the browser's border.
    wbPub = new TWebBrowser(panPub);
    wbPub->setObjectName(QStringLiteral("wbPub"));
    wbPub->setGeometry(-2, -2, 472, 600);
}

void TfmPrinc::createGames()
{
    auto* l = column(panListeJeux, 2);
    lblListeJeux = new QLabel(QStringLiteral("Jeux"), panListeJeux);
    lblListeJeux->setObjectName(QStringLiteral("lblListeJeux"));
    lblListeJeux->setAlignment(Qt::AlignCenter);
    tvListeJeux = new QTreeView(panListeJeux);
    tvListeJeux->setObjectName(QStringLiteral("tvListeJeux"));
    tvListeJeuxModel = new TEntryModel({}, this);
    tvListeJeux->setModel(tvListeJeuxModel);
    tvListeJeux->setHeaderHidden(true);
    tvListeJeux->setRootIsDecorated(false);
    tvListeJeux->setIndentation(19);
    tvListeJeux->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvListeJeux->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvListeJeux->setExpandsOnDoubleClick(false);
    l->addWidget(lblListeJeux);
    l->addWidget(tvListeJeux, 1);

    auto* jl = column(panJeu, 4);
    panJeuxWB = new QFrame(panJeu);
    panJeuxWB->setObjectName(QStringLiteral("panJeuxWB"));
    wbJeu = new TWebBrowser(panJeuxWB);
    wbJeu->setObjectName(QStringLiteral("wbJeu"));
    column(panJeuxWB)->addWidget(wbJeu);
    btnJouer = flatButton(panJeu, "btnJouer", QStringLiteral("Jouer"));
    QFont bf(QStringLiteral("Tahoma"));
    bf.setBold(true);
    btnJouer->setFont(bf);
    jl->addWidget(panJeuxWB, 1);
    jl->addWidget(btnJouer);
}

void TfmPrinc::createMOD()
{
    // Files.
    tsMODFichier = new QWidget;
    tsMODFichier->setObjectName(QStringLiteral("tsMODFichier"));
    auto* fl = column(tsMODFichier, 4);
    lvMODFichierModel = new TEntryModel({QStringLiteral("Fichier"), QStringLiteral("Dossier")}, this);
    lvMODFichier = reportList(tsMODFichier, "lvMODFichier", lvMODFichierModel, true);
    lvMODFichier->setColumnWidth(0, 100);
    lvMODFichier->setColumnWidth(1, 200);
    auto* fb = new QHBoxLayout;
    btnMODFichierOuvrir
        = flatButton(tsMODFichier, "btnMODFichierOuvrir", QStringLiteral("Ouvrir des fichiers..."), false);
    btnMODFichierOuvrirURL
        = flatButton(tsMODFichier, "btnMODFichierOuvrirURL", QStringLiteral("Ouvrir une URL..."), false);
    fb->addWidget(btnMODFichierOuvrir);
    fb->addWidget(btnMODFichierOuvrirURL);
    fl->addWidget(lvMODFichier, 1);
    fl->addLayout(fb);

    // Podcasts.
    tsMODPodcast = new QWidget;
    tsMODPodcast->setObjectName(QStringLiteral("tsMODPodcast"));
    auto* pl = column(tsMODPodcast, 4);
    tvMODPodcast = new QTreeView(tsMODPodcast);
    tvMODPodcast->setObjectName(QStringLiteral("tvMODPodcast"));
    tvMODPodcastModel = new TEntryModel({}, this);
    tvMODPodcast->setModel(tvMODPodcastModel);
    tvMODPodcast->setHeaderHidden(true);
    tvMODPodcast->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* pd = new QHBoxLayout;
    wbMODPodcast = new TWebBrowser(tsMODPodcast);
    wbMODPodcast->setObjectName(QStringLiteral("wbMODPodcast"));
    wbMODPodcast->setFixedSize(100, 100);
    lvMODPodcastModel = new TEntryModel({QStringLiteral("Vidéo")}, this);
    lvMODPodcast = reportList(tsMODPodcast, "lvMODPodcast", lvMODPodcastModel, false);
    pd->addWidget(wbMODPodcast, 0, Qt::AlignTop);
    pd->addWidget(lvMODPodcast, 1);
    // The user's own podcasts are managed from a menu by the tree.
    auto* pb = new QHBoxLayout;
    btnMODPodcastPerso
        = flatButton(tsMODPodcast, "btnMODPodcastPerso", QStringLiteral("Gérer mes podcasts"), false);
    pb->addWidget(btnMODPodcastPerso);
    pb->addStretch(1);
    pl->addWidget(tvMODPodcast, 1);
    pl->addLayout(pb);
    pl->addLayout(pd, 1);

    // MP3 search.
    tsMODRecherche = new QWidget;
    tsMODRecherche->setObjectName(QStringLiteral("tsMODRecherche"));
    auto* rl = column(tsMODRecherche, 4);
    auto* rt = searchRow(tsMODRecherche, lblMODRecherche, edtMODRecherche, "edtMODRecherche", btnMODRecherche,
        "btnMODRecherche");
    lvMODRechercheModel = new TEntryModel({QStringLiteral("Vidéo")}, this);
    lvMODRecherche = reportList(tsMODRecherche, "lvMODRecherche", lvMODRechercheModel, false);
    auto* rb = new QHBoxLayout;
    btnMODRechercheSuite
        = flatButton(tsMODRecherche, "btnMODRechercheSuite", QStringLiteral("Plus de résultats..."));
    btnMODRechercheFavoris
        = flatButton(tsMODRecherche, "btnMODRechercheFavoris", QStringLiteral("Ajouter à Mes MP3"));
    btnMODRechercheTelecharger
        = flatButton(tsMODRecherche, "btnMODRechercheTelecharger", QStringLiteral("Télécharger"));
    rb->addWidget(btnMODRechercheSuite);
    rb->addWidget(btnMODRechercheFavoris);
    rb->addWidget(btnMODRechercheTelecharger);
    rl->addLayout(rt);
    rl->addWidget(lvMODRecherche, 1);
    rl->addLayout(rb);

    // Favourites.
    tsMODFavoris = new QWidget;
    tsMODFavoris->setObjectName(QStringLiteral("tsMODFavoris"));
    auto* vl = column(tsMODFavoris, 4);
    lvMODFavorisModel = new TEntryModel({QStringLiteral("Titre")}, this);
    lvMODFavoris = reportList(tsMODFavoris, "lvMODFavoris", lvMODFavorisModel, false);
    auto* vb = new QHBoxLayout;
    btnMODFavorisLectureContinue
        = flatButton(tsMODFavoris, "btnMODFavorisLectureContinue", QStringLiteral("Non-stop"));
    btnMODFavorisLectureContinue->setCheckable(true);
    btnMODFavorisLectureContinue->setChecked(true);
    btnMODFavorisLectureContinue->setToolTip(
        QStringLiteral("Lecture continue (enchainement automatique des morceaux)"));
    btnMODFavorisRepeterUne = flatButton(tsMODFavoris, "btnMODFavorisRepeterUne", QStringLiteral("Répéter"));
    btnMODFavorisRepeterUne->setCheckable(true);
    btnMODFavorisRepeterUne->setToolTip(QStringLiteral("Répéter le morceau en cours"));
    btnMODFavorisTelecharger
        = flatButton(tsMODFavoris, "btnMODFavorisTelecharger", QStringLiteral("Télécharger"));
    btnMODFavorisSupprimer = flatButton(tsMODFavoris, "btnMODFavorisSupprimer", QStringLiteral("Supprimer"));
    vb->addWidget(btnMODFavorisLectureContinue);
    vb->addWidget(btnMODFavorisRepeterUne);
    vb->addStretch(1);
    vb->addWidget(btnMODFavorisTelecharger);
    vb->addWidget(btnMODFavorisSupprimer);
    vl->addWidget(lvMODFavoris, 1);
    vl->addLayout(vb);

    pcMOD->addTab(tsMODFichier, QStringLiteral("Mes fichiers"));
    pcMOD->addTab(tsMODPodcast, QStringLiteral("Podcast"));
    pcMOD->addTab(tsMODRecherche, QStringLiteral("Recherche MP3"));
    pcMOD->addTab(tsMODFavoris, QStringLiteral("Mes MP3"));
    pcMOD->setCurrentWidget(tsMODRecherche);
}

void TfmPrinc::createVideo()
{
    auto* l = column(panVideo, 4);
    auto* top = searchRow(panVideo, lblVideoMotsCles, edtVideoRecherche, "edtVideoRecherche",
        btnVideoRecherche, "btnVideoRecherche");
    lvVideoModel = new TEntryModel({QStringLiteral("Titre")}, this);
    lvVideo = reportList(panVideo, "lvVideo", lvVideoModel, false);
    playbackMemory_ = new TPlaybackMemory(this);
    for (TEntryModel* model :
        {lvMODFichierModel, lvMODPodcastModel, lvMODRechercheModel, lvMODFavorisModel, lvVideoModel})
        playbackMemory_->watch(model);
    auto* details = new QHBoxLayout;
    wbVideoImage = new TWebBrowser(panVideo);
    wbVideoImage->setObjectName(QStringLiteral("wbVideoImage"));
    wbVideoImage->setFixedSize(120, 90);
    auto* side = new QVBoxLayout;
    auto* duree = new QHBoxLayout;
    lblVideoDureeTitre = new QLabel(QStringLiteral("Durée :"), panVideo);
    lblVideoDureeTitre->setObjectName(QStringLiteral("lblVideoDureeTitre"));
    QFont bf = lblVideoDureeTitre->font();
    bf.setBold(true);
    lblVideoDureeTitre->setFont(bf);
    lblVideoDuree = new QLabel(QStringLiteral("-- : --"), panVideo);
    lblVideoDuree->setObjectName(QStringLiteral("lblVideoDuree"));
    duree->addWidget(lblVideoDureeTitre);
    duree->addWidget(lblVideoDuree, 1);
    btnVideoSuite = flatButton(panVideo, "btnVideoSuite", QStringLiteral("Plus de résultats..."));
    side->addLayout(duree);
    side->addStretch(1);
    side->addWidget(btnVideoSuite);
    details->addWidget(wbVideoImage);
    details->addLayout(side, 1);
    l->addLayout(top);
    l->addWidget(lvVideo, 1);
    l->addLayout(details);
}

void TfmPrinc::createRequests()
{
    const auto nmh = [this](const char* name) {
        auto* n = new TNMHTTP(this);
        n->setObjectName(QLatin1String(name));
        return n;
    };
    nmhMessage = nmh("nmhMessage");
    nmhListeCanaux = nmh("nmhListeCanaux");
    nmhChat = nmh("nmhChat");
    nmhListeJeux = nmh("nmhListeJeux");
    nmhListeJeuxNiveau1 = nmh("nmhListeJeuxNiveau1");
    nmhJeu = nmh("nmhJeu");
    nmhAccueilG = nmh("nmhAccueilG");
    nmhAccueilD = nmh("nmhAccueilD");
    nmhSponsors = nmh("nmhSponsors");
    nmhContenuVu = nmh("nmhContenuVu");
    nmhContenuVu->TimeOut = 3000;
    nmhTestVersion = nmh("nmhTestVersion");
    nmhSexo = nmh("nmhSexo");
    nmhMODPodcast = nmh("nmhMODPodcast");
    nmhMODPodcastDetail = nmh("nmhMODPodcastDetail");
    nmhMODRecherche = nmh("nmhMODRecherche");
    nmhVideoRecherche = nmh("nmhVideoRecherche");
}

void TfmPrinc::runHandler(const std::function<void()>& handler)
{
    // No exception may cross the event loop. A request cut short by closing
    // the window ends its handler silently.
    zv::guarded([&] {
        try {
            handler();
        } catch (...) {
            if (!closing_)
                throw;
        }
    });
}

void TfmPrinc::bindHandlers()
{
    for (TBtnGraph* b : sectionButtons())
        connect(b, &TBtnGraph::clicked, this, guard([this, b] { btnFctClick(b); }));
    connect(btnContact, &TBtnGraph::clicked, this, guard([this] { btnContactClick(); }));
    connect(btnMinimise, &TBtnGraph::clicked, this, guard([this] { btnMinimiseClick(); }));
    connect(btnFerme, &TBtnGraph::clicked, this, guard([this] { btnFermeClick(); }));
    connect(btnConfig, &TBtnGraph::clicked, this, guard([this] { btnConfigClick(); }));
    connect(btnLecture, &TBtnGraph::clicked, this, guard([this] { btnLectureClick(btnLecture); }));
    connect(btnPause, &TBtnGraph::clicked, this, guard([this] { btnPauseClick(); }));
    connect(btnMuet, &TBtnGraph::clicked, this, guard([this] { btnMuetClick(); }));
    connect(btnPleinEcran, &TBtnGraph::clicked, this, guard([this] { btnPleinEcranClick(); }));
    connect(timLecture, &QTimer::timeout, this, guard([this] { timLectureTimer(); }));
    connect(timPub, &QTimer::timeout, this, guard([this] { timPubTimer(); }));

    connect(cmbBouquet, &QComboBox::activated, this, guard([this] { cmbBouquetChange(); }));
    connect(
        lvListeCanaux, &QAbstractItemView::doubleClicked, this, guard([this] { lvListeCanauxDblClick(); }));
    connect(cmbChatRadio, &QComboBox::activated, this, guard([this] { cmbChatRadioClick(); }));
    connect(edtVideoRecherche, &QLineEdit::textChanged, this, guard([this] { edtVideoRechercheChange(); }));

    for (TWebBrowser* wb : {wbContact, wbChat, wbJeu, wbAccueilG, wbAccueilD})
        connect(wb, &TWebBrowser::DocumentComplete, this, guard([this, wb] { wbDocumentComplete(wb); }));
    connect(wbSexo, &TWebBrowser::DocumentComplete, this, guard([this] { wbSexoDocumentComplete(); }));

    // A success callback runs inside Get, whose caller is already guarded.
    nmhMessage->OnSuccess = [this](int cmd) { nmhMessageSuccess(cmd); };
    nmhListeCanaux->OnSuccess = [this](int cmd) { nmhListeCanauxSuccess(cmd); };
    nmhChat->OnSuccess = [this](int cmd) { nmhChatSuccess(cmd); };
    nmhListeJeux->OnSuccess = [this](int cmd) { nmhListeJeuxSuccess(cmd); };
    nmhAccueilG->OnSuccess = [this](int cmd) { nmhAccueilGSuccess(cmd); };
    nmhAccueilD->OnSuccess = [this](int cmd) { nmhAccueilDSuccess(cmd); };
    nmhSponsors->OnSuccess = [this](int cmd) { nmhSponsorsSuccess(cmd); };
    nmhTestVersion->OnSuccess = [this](int cmd) { nmhTestVersionSuccess(cmd); };
    nmhSexo->OnSuccess = [this](int cmd) { nmhSexoSuccess(cmd); };
    nmhMODPodcast->OnSuccess = [this](int cmd) { nmhMODPodcastSuccess(cmd); };

    timLecture->start();
    timPub->start();

    bindGames();
    bindMOD();
    bindVideo();
    bindTele();

    // An answer is read only while the choice it was asked for is still the
    // one on screen (see GetFor).
    for (TNMHTTP* n : findChildren<TNMHTTP*>(Qt::FindDirectChildrenOnly)) {
        if (!n->OnSuccess)
            continue;
        n->OnSuccess = [this, n, handler = n->OnSuccess](int cmd) {
            const std::function<bool()>* wanted = wanted_.value(n);
            if (!wanted || (*wanted)())
                handler(cmd);
        };
    }
}

QByteArray TfmPrinc::PortalRequest(const QByteArray& path)
{
    return zv::portalHost() + path;
}

TSponsorWindowClass TfmPrinc::SponsorWindowClass() const
{
    return [](TfmPrinc* owner) -> std::unique_ptr<QDialog> { return std::make_unique<TfmSponsor>(owner); };
}

TGameWindowClass TfmPrinc::GameWindowClass() const
{
    return [](TfmPrinc* owner, const QString& name, const QByteArray& url, int width,
               int height) -> std::unique_ptr<QDialog> {
        return std::make_unique<TfmJeu>(owner, name, url, width, height);
    };
}

QList<TBtnGraph*> TfmPrinc::sectionButtons() const
{
    return {btnFctAccueil, btnFctTele, btnFctClipVideo, btnFctRadio, btnFctJeux, btnFctChat, btnFctMOD,
        btnFctSexo, btnFctVideo};
}

QRect TfmPrinc::markerRect(const QWidget* hg, const QWidget* bd) const
{
    const int w = shpPlayerBD->width();
    const int h = shpPlayerBD->height();
    return QRect(QPoint(hg->x(), hg->y()), QPoint(bd->x() + w - 1, bd->y() + h - 1));
}

void TfmPrinc::PlacePanels()
{
    struct Place {
        QWidget* panel;
        QWidget* hg;
        QWidget* bd;
    };
    const Place places[] = {
        {panAccueilG, shpPlayerHG, shpPlayerBD},
        {panAccueilD, shpListeCanauxHG, shpListeCanauxBD},
        {panPub, shpPubHG, shpPubBD},
        {panPlayer, shpPlayerHG, shpPlayerBD},
        {panListeCanaux, shpListeCanauxHG, shpListeCanauxBD},
        {panContact, shpPlayerHG, shpListeCanauxBD},
        {panChat, shpPlayerHG, shpListeCanauxBD},
        {panListeJeux, shpPlayerHG, shpPlayerBD},
        {panJeu, shpListeCanauxHG, shpListeCanauxBD},
        {pcMOD, shpListeCanauxHG, shpListeCanauxBD},
        {panSexo, shpPlayerHG, shpListeCanauxBD},
        {panVideo, shpListeCanauxHG, shpListeCanauxBD},
    };
    for (const Place& p : places) {
        // QRect's right and bottom are inclusive, as the rule's are.
        p.panel->setGeometry(markerRect(p.hg, p.bd));
    }
}

void TfmPrinc::SetBackground(const QPixmap& picture)
{
    imgFond->setPixmap(picture);
}

void TfmPrinc::SetListColours(const QColor& background, const QColor& text)
{
    const QList<QAbstractItemView*> lists = {lvListeCanaux, tvListeJeux, tvMODPodcast, lvMODPodcast,
        lvMODFichier, lvMODRecherche, lvMODFavoris, lvVideo};
    for (QAbstractItemView* v : lists) {
        QPalette p = v->palette();
        p.setColor(QPalette::Base, background);
        p.setColor(QPalette::AlternateBase, background);
        p.setColor(QPalette::Text, text);
        v->setPalette(p);
    }
}

bool TfmPrinc::FormCreate()
{
    // 1. The connection test; refused: the program ends, the window never shows.
    {
        TfmConnexion connexion(this);
        // The test waits before it asks: the web engine starts meanwhile.
        TWebBrowser::PrepareEngineWhileShowing(&connexion);
        if (connexion.exec() != QDialog::Accepted) {
            QCoreApplication::quit();
            return false;
        }
    }
    // 2.
    AppVersionInfo = std::make_unique<TAppVersionInfo>();
    PodcastFeeds = std::make_unique<QList<QPair<QByteArray, QByteArray>>>();
    // 3. The window takes the background picture's size.
    imgFond->move(0, 0);
    if (const QPixmap pm = imgFond->pixmap(); !pm.isNull())
        imgFond->resize(pm.deviceIndependentSize().toSize());
    imgFond->lower();
    if (imgFond->width() > 0 && imgFond->height() > 0 && !imgFond->pixmap().isNull())
        setFixedSize(imgFond->size());
    // Centred on the desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // 4.
    PlacePanels();
    // 5.
    lvMODFavoris->setColumnWidth(0, qMax(0, lvMODFavoris->width() - 20));
    // 6. The videos button shares the adult section button's place.
    btnFctVideo->setGeometry(btnFctSexo->geometry());
    // 7.
    pcMOD->setCurrentWidget(tsMODFichier);
    // 8.
    connect(frmPlayer, &TfrmPlayer::Message, this,
        [this](QObject* sender, const QString& text) { runHandler([&] { PlayerMessage(sender, text); }); });
    frmCurseurSon->OnChange = [this](TfrmCurseur* s) { runHandler([&] { CurseurSonChange(s); }); };
    frmCurseurVideo->OnChange = [this](TfrmCurseur* s) { runHandler([&] { CurseurVideoChange(s); }); };
    // 9.
    mnuConfigSexofluxClick(nullptr);
    // 10.
    if (windowTitle().isEmpty())
        setWindowTitle(QGuiApplication::applicationDisplayName());

    // 11-18 run as one handler: a failed request shows its message and skips
    // the steps after it.
    bool quitRequested = false;
    zv::guarded([&] {
        nmhMessage->Get(PortalRequest("/exe/cont.php?c=message"));
        wbPub->Navigate(QString::fromLatin1(PortalRequest("/exe/cont.php?c=pub")));
        ShowPodcastImage();
        cmbBouquet->setCurrentIndex(0);
        ShowSection(nullptr);
        nmhSponsors->Get(PortalRequest("/exe/cont.php?c=spons"));
        if (TerminateRequested)
            return;
        nmhTestVersion->Get(PortalRequest("/exe/cont.php?c=version"));
        lblTitre->setText(
            AppVersionInfo->ProductName + QStringLiteral(" V") + AppVersionInfo->ProductVersion);
        lblMarque->setText(AppVersionInfo->LegalCopyright);
    });
    quitRequested = TerminateRequested;
    // 19. The favourites are read even when a step above failed: the shutdown
    // writes the list back, and an unread list would erase them.
    LoadFavorites();
    LoadMesChaines();
    return !quitRequested;
}

void TfmPrinc::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    timLecture->stop();
    timPub->stop();
    zv::swallowed([this] { SaveFavorites(); });
    zv::swallowed([this] {
        playbackMemory_->keep();
        frmPlayer->Load(QString());
    });
    PodcastFeeds.reset();
    AppVersionInfo.reset();
}

void TfmPrinc::closeEvent(QCloseEvent* event)
{
    // A request waiting in its own loop would keep the program alive after the
    // window has gone.
    closing_ = true;
    for (TNMHTTP* n : findChildren<TNMHTTP*>()) {
        if (n->Busy())
            n->Abort();
    }
    event->accept();
}

bool TfmPrinc::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgFond && event->type() == QEvent::MouseButtonPress) {
        runHandler([this] { imgFondMouseDown(); });
        return true;
    }
    if (event->type() == QEvent::ContextMenu
        && (watched == lvListeCanaux || watched == lvListeCanaux->viewport())) {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        const QPoint at = watched == lvListeCanaux
            ? lvListeCanaux->viewport()->mapFrom(lvListeCanaux, menu->pos())
            : menu->pos();
        runHandler([&] { lvListeCanauxContextMenu(at, menu->reason() == QContextMenuEvent::Mouse); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfmPrinc::imgFondMouseDown()
{
    if (QWindow* w = windowHandle())
        w->startSystemMove();
}

void TfmPrinc::btnMinimiseClick()
{
    showMinimized();
}

void TfmPrinc::btnFermeClick()
{
    close();
}

void TfmPrinc::btnFctClick(TBtnGraph* sender)
{
    ShowSection(sender);
}

void TfmPrinc::btnContactClick()
{
    ShowSection(btnContact);
}

bool TfmPrinc::SectionSwitchAllowed() const
{
    return !nmhListeCanaux->Busy();
}

void TfmPrinc::GetFor(TNMHTTP* nmh, const QByteArray& request, const std::function<bool()>& stillWanted)
{
    // Requests of one component nest (an aborted one waits below the newer
    // one): each puts back the test of the one below when it returns.
    const QPointer<TfmPrinc> self(this);
    const std::function<bool()>* below = wanted_.value(nmh);
    wanted_.insert(nmh, &stillWanted);
    const auto restore = qScopeGuard([&] {
        if (self)
            wanted_.insert(nmh, below);
    });
    try {
        nmh->Get(request);
    } catch (const zv::Error&) {
        if (stillWanted())
            throw;
    }
}

void TfmPrinc::LeaveSectionRequests()
{
    ++sectionVisit_;
    jeuxDemande_ = QPersistentModelIndex();
    for (TNMHTTP* n : {nmhAccueilG, nmhAccueilD, nmhChat, nmhListeJeux, nmhSexo, nmhMODPodcast,
             nmhListeJeuxNiveau1, nmhJeu, nmhMODPodcastDetail})
        n->Abort();
}

void TfmPrinc::ShowSection(TBtnGraph* button)
{
    // 1. While the channel list loads, a click changes nothing.
    if (!SectionSwitchAllowed())
        return;
    // Any other wait of a switch gives way to the newest: what the section
    // left asked for is aborted, and that older switch stops where it is.
    LeaveSectionRequests();
    const int visit = sectionVisit_;
    const auto get = [this, visit](TNMHTTP* nmh, const QByteArray& path) {
        GetFor(nmh, PortalRequest(path), [this, visit] { return visit == sectionVisit_; });
        return visit == sectionVisit_;
    };
    const int playStarts = playStarts_;
    // 2.
    PlayingIndex = -1;
    // 3.
    for (TBtnGraph* b : sectionButtons())
        b->setEnfonce(false);
    lblTelechargerMusique->hide();
    // 4.
    TBtnGraph* section = button ? button : btnFctAccueil;
    section->setEnfonce(true);

    // 5. The section table.
    const bool home = section == btnFctAccueil;
    const bool tele = section == btnFctTele;
    const bool clips = section == btnFctClipVideo;
    const bool radio = section == btnFctRadio;
    const bool games = section == btnFctJeux;
    const bool chat = section == btnFctChat;
    const bool mod = section == btnFctMOD;
    const bool sexo = section == btnFctSexo;
    const bool video = section == btnFctVideo;
    const bool contact = section == btnContact;
    panAccueilG->setVisible(home);
    panAccueilD->setVisible(home);
    panPlayer->setVisible(tele || clips || radio || mod || video);
    panListeCanaux->setVisible(tele || clips || radio);
    panBouquet->setVisible(tele);
    panListeJeux->setVisible(games);
    panJeu->setVisible(false);
    panChat->setVisible(chat);
    lblChatRadio->setVisible(chat);
    cmbChatRadio->setVisible(chat);
    pcMOD->setVisible(mod);
    panSexo->setVisible(sexo);
    panVideo->setVisible(video);
    panContact->setVisible(contact);

    // 6. Playback only where something can play.
    const bool plays = tele || clips || radio || chat || mod || video;
    btnLecture->setActif(plays);
    frmCurseurSon->setEnabled(plays);
    frmCurseurSon->SetActif(plays);

    // 7.
    cmbChatRadioModel->setCount(0);
    cmbChatRadio->setCurrentIndex(-1);
    wbSexo->Navigate(QStringLiteral("about:blank"));
    ClearListeCanaux();
    SetListeCanauxIcons(zv::ChannelIcons::None);
    tvListeJeuxModel->clear();
    // The lists left (a bouquet may hold a million rows) go back to the system.
    zv::releaseFreedMemorySoon();

    // 8. The section's own action.
    if (home) {
        if (get(nmhAccueilG, "/exe/cont.php?c=urlaccg"))
            get(nmhAccueilD, "/exe/cont.php?c=ieacc2");
    } else if (tele) {
        cmbBouquetChange();
    } else if (clips) {
        lblListeCanaux->setText(QStringLiteral("Liste des vidéo-clips"));
        SetListeCanauxIcons(zv::ChannelIcons::Video);
        listeCanauxM3u_ = false;
        nmhListeCanaux->Get(PortalRequest("/exe/medias.php?t=1&colid"));
    } else if (radio) {
        lblListeCanaux->setText(QStringLiteral("Liste des radios"));
        SetListeCanauxIcons(zv::ChannelIcons::Tele);
        listeCanauxM3u_ = false;
        nmhListeCanaux->Get(PortalRequest("/exe/medias.php?t=4&colid"));
    } else if (games) {
        get(nmhListeJeux, "/exe/medias.php?t=2&k=1");
    } else if (chat) {
        if (get(nmhChat, "/exe/cont.php?c=urlchat")) {
            listeCanauxM3u_ = false;
            nmhListeCanaux->Get(PortalRequest("/exe/medias.php?t=4&colid"));
        }
    } else if (mod) {
        get(nmhMODPodcast, "/exe/podcast.php");
    } else if (sexo) {
        get(nmhSexo, "/exe/cont.php?c=urlsexo");
    } else if (video) {
        edtVideoRechercheChange();
    } else if (contact) {
        wbContact->Navigate(QString::fromLatin1(PortalRequest("/exe/contact.php")));
    }

    // A newer switch ran while this one waited: the rest is its to do.
    if (visit != sectionVisit_)
        return;
    // 9. Every switch the user makes also turns the ad.
    if (button)
        wbPub->Refresh();
    // 10. Nothing plays on after a switch, but what the user started while
    // the section loaded is the newer choice.
    if (playStarts_ == playStarts) {
        playbackMemory_->keep();
        frmPlayer->Load(QString());
    }
}

void TfmPrinc::nmhTestVersionSuccess(int)
{
    // The check never bothers the user with an error.
    zv::swallowed([this] {
        const double remote = zv::VersionNumber(nmhTestVersion->Body);
        const double local = zv::VersionNumber(AppVersionInfo->FileVersion.toLatin1());
        if (!(local < remote))
            return;
        const auto answer = QMessageBox::question(this, QGuiApplication::applicationDisplayName(),
            QStringLiteral(
                "Une nouvelle version du logiciel est disponible, souhaitez-vous la télécharger ?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(zv::portalUrl("/"))));
        TerminateRequested = true;
        close();
        QCoreApplication::quit();
    });
}
