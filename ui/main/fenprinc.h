#pragma once
// TfmPrinc: the portal's skinned main window. Never created as itself, only as
// one of the theme subclasses (ui/themes). One source per section:
// fenprinc.cpp (shell, start-up, shutdown, section switch), fenprinc_canaux.cpp
// (channel lists), fenprinc_lecture.cpp (playback and status loop),
// fenprinc_mod.cpp (favourites), fenprinc_web.cpp (web panels, ticker, ads,
// sponsors), fenprinc_config.cpp (settings menu), fenprinc_jeux.cpp (games),
// fenprinc_video.cpp (video search), fenprinc_mp3.cpp (MP3 search),
// fenprinc_podcast.cpp (files and podcasts), fenprinc_tele.cpp (the channel
// list's search field, "Mes chaînes", own lists, guides), fenprinc_acces.cpp
// (keyboard and assistive technology). Each list's rows live in a model of
// its own (entrymodel.h, channelmodel.h), never in the view.
#include "portal/canaux.h"
#include "portal/userstate.h"
#include "ui/main/playqueue.h"

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QVector>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QAbstractItemView;
class QAction;
class QActionGroup;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeView;
class TAppVersionInfo;
class TBtnGraph;
class TChannelListModel;
class TChannelFilter;
class TChannelRowsModel;
class TChatRadioModel;
class TFavoriteChannelModel;
class TLogoCache;
class TNowNextDelegate;
class TOwnListModel;
namespace zv {
class GuideIndex;
class OwnList;
class ListGuides;
class OwnListLoader;
} // namespace zv
class TEntryModel;
class TNMHTTP;
class TScrollLabel;
class TWebBrowser;
class TfmPrinc;
class TPlaybackMemory;
class TfrmCurseur;
class TfrmPlayer;
namespace zv {
struct Entry;
}

// The window classes a theme supplies: they create the window, not yet shown.
using TSponsorWindowClass = std::function<std::unique_ptr<QDialog>(TfmPrinc* owner)>;
using TGameWindowClass = std::function<std::unique_ptr<QDialog>(
    TfmPrinc* owner, const QString& name, const QByteArray& url, int width, int height)>;

class TfmPrinc : public QWidget {
    Q_OBJECT
public:
    ~TfmPrinc() override;

    // The start-up sequence. Runs once, right after construction, so that the
    // theme's overrides are in place. False: the program must end (the connection
    // test was not confirmed) and the window is never shown.
    virtual bool FormCreate();

    // Theme hooks, in this order.
    virtual TSponsorWindowClass SponsorWindowClass() const;
    virtual TGameWindowClass GameWindowClass() const;

    // ---- shell ---------------------------------------------------------------
    QLabel* imgFond;
    QLabel* imgLogo;
    QLabel* lblTitre;
    QLabel* lblMarque;
    QWidget* shpPlayerHG;
    QWidget* shpPlayerBD;
    QWidget* shpListeCanauxHG;
    QWidget* shpListeCanauxBD;
    QWidget* shpPubHG;
    QWidget* shpPubBD;

    TBtnGraph* btnFctAccueil;
    TBtnGraph* btnFctTele;
    TBtnGraph* btnFctClipVideo;
    TBtnGraph* btnFctMOD;
    TBtnGraph* btnFctRadio;
    TBtnGraph* btnFctJeux;
    TBtnGraph* btnFctChat;
    TBtnGraph* btnFctSexo;
    TBtnGraph* btnFctVideo;
    TBtnGraph* btnContact;
    TBtnGraph* btnMinimise;
    TBtnGraph* btnFerme;
    TBtnGraph* btnConfig;
    TScrollLabel* slMessage;
    QTimer* timLecture;
    QTimer* timPub;

    // ---- panels --------------------------------------------------------------
    QFrame* panAccueilG;
    QFrame* panAccueilD;
    QFrame* panPub;
    QFrame* panPlayer;
    QFrame* panListeCanaux;
    QFrame* panContact;
    QFrame* panChat;
    QFrame* panListeJeux;
    QFrame* panJeu;
    QTabWidget* pcMOD;
    QFrame* panSexo;
    QFrame* panVideo;

    // ---- web pages -----------------------------------------------------------
    TWebBrowser* wbAccueilG;
    TWebBrowser* wbAccueilD;
    TWebBrowser* wbPub;
    TWebBrowser* wbContact;
    TWebBrowser* wbChat;
    TWebBrowser* wbSexo;
    QLabel* lblChatRadio;
    QComboBox* cmbChatRadio;

    // ---- channel lists -------------------------------------------------------
    QFrame* panBouquet;
    QLabel* lblBouquet;
    QComboBox* cmbBouquet;
    QLabel* lblListeCanaux;
    QListView* lvListeCanaux;
    TChannelListModel* lvListeCanauxModel;
    TChatRadioModel* cmbChatRadioModel;
    QVector<QPixmap> ilTele; // the flags, in FlagCodes order
    QVector<QPixmap> ilVideo; // the "new" badge first

    // ---- the channel list as TV players show it (fenprinc_tele.cpp) ----------
    QLineEdit* edtRechercheCanaux; // narrows the rows shown as the user types
    QComboBox* cmbGroupe; // an own list's groups, "Toutes les chaînes" first
    QPushButton* btnListes; // the own lists' menu
    QMenu* mnuListes;
    QLabel* lblProgramme; // what the playing channel shows now
    TChannelFilter* lvListeCanauxFiltre; // between lvListeCanaux and its rows
    TFavoriteChannelModel* lvMesChainesModel;
    TOwnListModel* lvListePersoModel;
    TLogoCache* LogoCache;
    TNowNextDelegate* lvListeCanauxDelegate;

    // ---- player and playback row ---------------------------------------------
    TfrmPlayer* frmPlayer;
    QLabel* lblStatutPlayer;
    TfrmCurseur* frmCurseurVideo;
    TfrmCurseur* frmCurseurSon;
    TBtnGraph* btnLecture;
    TBtnGraph* btnPause;
    TBtnGraph* btnPleinEcran;
    TBtnGraph* btnMuet;
    QLabel* lblTelechargerMusique;

    // ---- games ---------------------------------------------------------------
    QLabel* lblListeJeux;
    QTreeView* tvListeJeux;
    TEntryModel* tvListeJeuxModel; // categories, their games below
    QFrame* panJeuxWB;
    TWebBrowser* wbJeu;
    QPushButton* btnJouer;

    // ---- media on demand -----------------------------------------------------
    QWidget* tsMODFichier;
    QTreeView* lvMODFichier;
    TEntryModel* lvMODFichierModel;
    QPushButton* btnMODFichierOuvrir;
    QPushButton* btnMODFichierOuvrirURL;
    QWidget* tsMODPodcast;
    QTreeView* tvMODPodcast;
    TEntryModel* tvMODPodcastModel; // groups, subgroups, podcasts
    TWebBrowser* wbMODPodcast;
    QTreeView* lvMODPodcast;
    TEntryModel* lvMODPodcastModel; // the episodes
    // The user's own podcasts: the menu by the tree (also the tree's context menu).
    QPushButton* btnMODPodcastPerso;
    QMenu* mnuMODPodcastPerso;
    QAction* mnuMODPodcastAjouter;
    QAction* mnuMODPodcastDossier;
    QAction* mnuMODPodcastRenommer;
    QAction* mnuMODPodcastSupprimer;
    QAction* mnuMODPodcastImporter;
    QAction* mnuMODPodcastExporter;
    QWidget* tsMODRecherche;
    QLabel* lblMODRecherche;
    QLineEdit* edtMODRecherche;
    QPushButton* btnMODRecherche;
    QTreeView* lvMODRecherche;
    TEntryModel* lvMODRechercheModel;
    QPushButton* btnMODRechercheSuite;
    QPushButton* btnMODRechercheFavoris;
    QPushButton* btnMODRechercheTelecharger;
    QWidget* tsMODFavoris;
    QTreeView* lvMODFavoris;
    TEntryModel* lvMODFavorisModel;
    QPushButton* btnMODFavorisTelecharger;
    QPushButton* btnMODFavorisSupprimer;
    QPushButton* btnMODFavorisLectureContinue; // "Non-stop", down at start
    QPushButton* btnMODFavorisRepeterUne; // "Répéter", up at start

    // ---- video search --------------------------------------------------------
    QLabel* lblVideoMotsCles;
    QLineEdit* edtVideoRecherche;
    QPushButton* btnVideoRecherche;
    QTreeView* lvVideo;
    TEntryModel* lvVideoModel;
    TWebBrowser* wbVideoImage;
    QLabel* lblVideoDureeTitre;
    QLabel* lblVideoDuree;
    QPushButton* btnVideoSuite;

    // ---- settings menu -------------------------------------------------------
    QMenu* mnuConfig;
    QAction* mnuConfigLanceAuto;
    QAction* mnuConfigSexoflux;
    QAction* Thmes1; // the disabled heading above the themes
    QAction* mnuConfigTheme1;
    QAction* mnuConfigTheme2;
    QAction* mnuConfigTheme3;
    QAction* mnuConfigTheme4;
    QAction* mnuConfigTheme5;
    QActionGroup* mnuConfigThemes; // the theme items, one checked at most

    // ---- keyboard and assistive technology (fenprinc_acces.cpp) --------------
    QAction* mnuConfigDeplacer; // "Déplacer la fenêtre", Alt+F7
    QAction* mnuConfigRaccourcis; // "Raccourcis clavier", F1
    // The controls Tab reaches now, in the order they are seen: the window's
    // parts top to bottom and left to right, the controls of a panel together
    // in the same order.
    QList<QWidget*> FocusOrder() const;
    // Tab and Shift+Tab follow FocusOrder; a web page hands the focus back
    // this way when its last link is left.
    bool focusNextPrevChild(bool next) override;
    // Moves the window with the arrow keys until Enter (or a click) leaves it
    // there and Escape puts it back.
    void mnuConfigDeplacerClick();
    bool KeyboardMoving() const;
    void mnuConfigRaccourcisClick();

    // ---- portal requests -----------------------------------------------------
    TNMHTTP* nmhMessage;
    TNMHTTP* nmhListeCanaux;
    TNMHTTP* nmhChat;
    TNMHTTP* nmhListeJeux;
    TNMHTTP* nmhListeJeuxNiveau1;
    TNMHTTP* nmhJeu;
    TNMHTTP* nmhAccueilG;
    TNMHTTP* nmhAccueilD;
    TNMHTTP* nmhSponsors;
    TNMHTTP* nmhContenuVu;
    TNMHTTP* nmhTestVersion;
    TNMHTTP* nmhSexo;
    TNMHTTP* nmhMODPodcast;
    TNMHTTP* nmhMODPodcastDetail;
    TNMHTTP* nmhMODRecherche;
    TNMHTTP* nmhVideoRecherche;

    // ---- state ---------------------------------------------------------------
    std::unique_ptr<TAppVersionInfo> AppVersionInfo;
    // The podcast feed table: podcast id -> feed address.
    std::unique_ptr<QList<QPair<QByteArray, QByteArray>>> PodcastFeeds;
    int PlayingIndex = -1; // the favourite being played, -1 for none
    bool ContentViewedBusy = false;
    bool TerminateRequested = false; // the program was told to end during start-up

    // ---- shell (fenprinc.cpp) ------------------------------------------------
    void FormDestroy();
    void ShowSection(TBtnGraph* button);
    void btnFctClick(TBtnGraph* sender);
    void btnContactClick();
    void btnMinimiseClick();
    void btnFermeClick();
    void imgFondMouseDown();
    // Panel between two markers: right and bottom edges one pixel short of the
    // far edge of BD.
    QRect markerRect(const QWidget* hg, const QWidget* bd) const;
    void PlacePanels();
    // The nine section buttons, in the order the section switch releases them.
    QList<TBtnGraph*> sectionButtons() const;

    // ---- channel lists (fenprinc_canaux.cpp) ---------------------------------
    void cmbBouquetChange();
    void nmhListeCanauxSuccess(int cmd);
    void lvListeCanauxDblClick();
    void cmbChatRadioClick();
    // The icons the list shows now.
    zv::ChannelIcons ListeCanauxIcons() const { return listeCanauxIcons_; }
    void SetListeCanauxIcons(zv::ChannelIcons icons);
    void ClearListeCanaux();
    // The selected row of lvListeCanaux in its model, or -1.
    int ListeCanauxSelectedRow() const;
    void SelectListeCanauxRow(int row);

    // ---- search, "Mes chaînes", own lists (fenprinc_tele.cpp) ----------------
    // cmbBouquet: the portal's five bouquets, "Mes chaînes", the own lists,
    // then "Ajouter une liste…".
    static constexpr int BouquetCount = 5;
    static constexpr int MesChainesIndex = BouquetCount;
    void createTele(); // run once by createChannelList
    void bindTele();
    void edtRechercheCanauxChange();
    void cmbGroupeChange();
    // The model lvListeCanaux shows through its filter: the portal's rows,
    // "Mes chaînes" or an own list; the search field and groups start afresh.
    void ShowChannelRows(QAbstractItemModel* rows);
    // The rows with logos and guides when one of those is shown, else nullptr.
    TChannelRowsModel* ChannelRows() const;
    // cmbBouquet's entries after the five bouquets, from the lists kept.
    void FillOwnLists();
    // The own list chosen in cmbBouquet, id 0 when none is.
    zv::UserState::OwnListDefinition ChosenOwnList() const;
    // A choice of cmbBouquet past the five bouquets (handled by cmbBouquetChange).
    void ShowMoreBouquet(int index);
    void OwnListLoaded(qint64 id, std::shared_ptr<const zv::OwnList> list);
    void OwnListGuidesChanged();
    // "Mes chaînes" given the guides of every list they came from.
    void ReadMesChainesGuides();
    // The lists' menu: add, rename, refresh, guide, remove.
    void FillListsMenu(QMenu* menu);
    // "Mes chaînes" from the portal's list shown found again in its rows.
    void RelocateMesChaines();
    // "Mes chaînes": where the channel of a source row would be kept; whether
    // it is there; added or removed.
    QString ChannelOrigin() const;
    bool IsMesChaine(const QModelIndex& source) const;
    void ToggleMesChaine(const QModelIndex& source);
    void AddMesChaine(const QModelIndex& source);
    void RemoveMesChaine(const QModelIndex& source);
    void LoadMesChaines();
    void SaveMesChaines();
    // at: in the rows' viewport; mouse: asked with the mouse, else with the keyboard.
    void lvListeCanauxContextMenu(const QPoint& at, bool mouse);
    void ShowGuide(const QModelIndex& source);
    void AddOwnList();
    void RenameOwnList();
    void RefreshOwnList();
    void SetOwnListGuide();
    void RemoveOwnList();
    // Whether a channel row's address comes from an own list (kept whole).
    bool OwnAddress(const QModelIndex& source) const;
    // The status area's line for the channel playing: what is on now.
    void UpdateProgramme();

    // ---- playback (fenprinc_lecture.cpp) -------------------------------------
    void btnLectureClick(QObject* sender);
    void btnPauseClick();
    void btnMuetClick();
    void btnPleinEcranClick();
    void PlayerMessage(QObject* sender, const QString& message);
    void CurseurSonChange(TfrmCurseur* sender);
    void CurseurVideoChange(TfrmCurseur* sender);
    void timLectureTimer();
    void NotifyContentViewed(int id);

    // ---- the play queue (fenprinc_lecture.cpp) -------------------------------
    // The list whose selected row the play button plays in the section shown,
    // nullptr where nothing plays.
    QAbstractItemView* ShownList() const;
    // What the play button would start now: the selected row of the shown
    // list, or, for the status loop in the media section, the favourite
    // PlayingIndex.
    TPlayEntry EntryToPlay(QObject* sender) const;
    // Row `row` of "Mes MP3", for continuous play (empty when there is none).
    TPlayEntry FavouriteEntry(int row) const;
    // The entry of a row of list's model, as the play button plays it.
    TPlayEntry EntryOf(QAbstractItemView* list, const QModelIndex& source) const;
    // Starts entry, whatever plays now; nothing without an address.
    void Play(const TPlayEntry& entry);
    void StopPlaying();
    // What the player was last given to play from a list (an empty entry
    // once the player has been emptied).
    TPlayEntry NowPlaying() const;
    // The entry step rows from the one playing, in its list (in "Mes MP3"
    // during continuous play); from the selected row of the shown list when
    // nothing plays. An entry without a row when there is none.
    TPlayEntry Neighbour(int step) const;
    // Moves to that entry: selects it where the user sees it, and plays it
    // unless the player is stopped.
    void Skip(int step);

    // ---- favourites (fenprinc_mod.cpp) ---------------------------------------
    void LoadFavorites();
    void SaveFavorites();
    // Appends a row to lvMODFavoris.
    void AddFavorite(const QString& title, const QString& url);
    // MP3 search and the favourites' buttons (fenprinc_mp3.cpp).
    void btnMODRechercheClick();
    void edtMODRechercheChange();
    void edtMODRechercheKeyPress(); // Enter in the keywords field
    void nmhMODRechercheSuccess(int cmd);
    void btnMODRechercheSuiteClick();
    void lvMODRechercheDblClick(QObject* sender); // both lists
    void btnMODRechercheFavorisClick();
    void btnMODRechercheTelechargerClick();
    void btnMODFavorisTelechargerClick();
    void btnMODFavorisSupprimerClick();
    // A download window for the selected row of list, if any.
    void StartDownload(const QAbstractItemView* list);
    void bindMP3(); // called at the start of bindMOD

    // ---- web panels, ticker, ads, sponsors (fenprinc_web.cpp) ----------------
    void nmhMessageSuccess(int cmd);
    void nmhAccueilGSuccess(int cmd);
    void nmhAccueilDSuccess(int cmd);
    void nmhChatSuccess(int cmd);
    void nmhSexoSuccess(int cmd);
    void nmhSponsorsSuccess(int cmd);
    void timPubTimer();
    void wbDocumentComplete(TWebBrowser* browser);
    void wbSexoDocumentComplete();
    void ShowPodcastImage(); // the podcast picture pane with no podcast
    // A podcast's picture (its address as the request carries it), on the list's colour.
    void ShowPodcastPicture(const QByteArray& address);

    // ---- version check (fenprinc.cpp) ----------------------------------------
    void nmhTestVersionSuccess(int cmd);

    // ---- settings menu (fenprinc_config.cpp) ---------------------------------
    // Fills mnuConfig and binds its items; run once by the constructor.
    void createConfigMenu();
    void btnConfigClick();
    void mnuConfigPopup();
    void mnuConfigLanceAutoClick();
    void mnuConfigSexofluxClick(QObject* sender);
    void mnuConfigThemeClick(QAction* sender);

    // ---- games (fenprinc_jeux.cpp) -------------------------------------------
    void nmhListeJeuxSuccess(int cmd);
    void nmhListeJeuxNiveau1Success(int cmd);
    void tvListeJeuxDblClick();
    void btnJouerClick();
    void nmhJeuSuccess(int cmd);
    // The node selected in tvListeJeux (in its model), invalid when none.
    QModelIndex SelectedJeu() const;

    // ---- media on demand: podcasts (fenprinc_mod.cpp) ------------------------
    void nmhMODPodcastSuccess(int cmd);
    // Files and podcast tabs (fenprinc_podcast.cpp).
    void btnMODFichierOuvrirClick();
    void btnMODFichierOuvrirURLClick();
    void lvMODFichierDblClick();
    void pcMODChange();
    void tvMODPodcastDblClick();
    void nmhMODPodcastDetailSuccess(int cmd);
    void lvMODPodcastDblClick();
    void bindPodcast(); // called at the end of bindMOD
    // The user's own podcasts, under "Mes podcasts" after the portal's.
    void FillOwnPodcasts(qint64 select = 0);
    void mnuMODPodcastPersoPopup(); // offers what the chosen node allows
    void mnuMODPodcastAjouterClick();
    void mnuMODPodcastDossierClick();
    void mnuMODPodcastRenommerClick();
    void mnuMODPodcastSupprimerClick();
    void mnuMODPodcastImporterClick();
    void mnuMODPodcastExporterClick();
    void nmhMODPodcastPersoSuccess(int cmd); // an own podcast's feed, on nmhMODPodcastDetail
    // Marks new the rows (one per key, the episodes' own keys) that the last
    // visit of feed did not offer and that were not heard; then, when
    // visited, takes this visit as the next one's reference.
    void MarkEpisodes(std::vector<zv::Entry>& rows, const QString& feed, const std::vector<QByteArray>& keys,
        bool visited = true);
    // Stands in for the subscription list dialogs: the file chosen to read
    // (save false) or to write, empty when cancelled. Empty: the real dialogs.
    // For tests.
    using TAbonnementsDialog = std::function<QString(QWidget* parent, bool save)>;
    static void setAbonnementsDialog(TAbonnementsDialog dialog);
    // Stands in for odMODFichier: returns the chosen files, none when cancelled.
    // Empty: the real dialog. For tests.
    using TFichierDialog = std::function<QStringList(QWidget* parent)>;
    static void setFichierDialog(TFichierDialog dialog);

    // ---- video search (fenprinc_video.cpp) -----------------------------------
    void edtVideoRechercheChange();
    void btnVideoRechercheClick();
    void nmhVideoRechercheSuccess(int cmd);
    void btnVideoSuiteClick();
    void edtVideoRechercheKeyPress(QChar key);
    // Selected false: the row was deselected, which changes nothing.
    void lvVideoSelectItem(const QModelIndex& row, bool selected);
    void lvVideoDblClick();
    void lblTelechargerMusiqueClick();
    // What opens an outside page in the user's browser; empty: the desktop's.
    using OutsidePageOpener = std::function<void(const QUrl&)>;
    static void setOutsidePageOpener(OutsidePageOpener opener);
    // Bumped by each keyword change: an answer to an older search is dropped.
    int videoSearchGeneration_ = 0;
    int mp3SearchGeneration_ = 0;

    // Colours of the lists (the themes set them) and the background picture.
    void SetListColours(const QColor& background, const QColor& text);
    void SetBackground(const QPixmap& picture);

    // The portal request for a path: host + path, no scheme.
    static QByteArray PortalRequest(const QByteArray& path);

    // A slot for connect() that runs handler the way every handler of the
    // window runs: under the default error handler, and silently once the
    // window is closing (its requests are being cut short).
    template <class F> auto guard(F handler)
    {
        return [this, handler]() { runHandler(handler); };
    }
    void runHandler(const std::function<void()>& handler);

    // Each section source binds its own handlers; bindHandlers calls these.
    void bindGames(); // fenprinc_jeux.cpp
    void bindMOD(); // fenprinc_mod.cpp
    void bindVideo(); // fenprinc_video.cpp

signals:
    // btnLectureClick started a stream; the desktop's player controls follow it.
    void PlaybackStarted();

protected:
    explicit TfmPrinc(QWidget* parent = nullptr);

    // True when the section button's request may run now (not while the channel
    // list loads).
    bool SectionSwitchAllowed() const;

    // Every list shows the answer for the choice on screen. A request made for
    // a choice (a section visit, a bouquet, a podcast, keywords) is run by
    // GetFor with a test telling whether its choice is still the one shown: its
    // answer is read only while it is, and once the user has left it (the
    // change aborts the request, which frees its component for the newer
    // choice at once) its end, error included, passes silently.
    void GetFor(TNMHTTP* nmh, const QByteArray& request, const std::function<bool()>& stillWanted);
    // A new section visit: the requests made for the one left stop.
    void LeaveSectionRequests();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createShell();
    void createChannelList();
    void createPlayer();
    void createWebPanels();
    void createGames();
    void createMOD();
    void createVideo();
    void createRequests();
    void bindHandlers();
    void setupAccessibility(); // names, keys and focus; last, over every control

    zv::ChannelIcons listeCanauxIcons_ = zv::ChannelIcons::None;
    bool listeCanauxM3u_ = false; // the grammar of the list requested last
    int sectionVisit_ = 0; // moves on with every section switch
    int playStarts_ = 0; // moves on with everything the user starts playing
    int bouquetChoice_ = 0; // moves on with every bouquet chosen
    int podcastChoice_ = 0; // moves on with every podcast chosen
    // The podcast whose episodes are asked for or shown: its feed address and,
    // for one of the user's own, its id (0 for the portal's).
    QString podcastFeed_;
    qint64 podcastOwnId_ = 0;
    bool podcastOwnRead_ = false; // the own podcast's answer was read
    // The choice each component's request under way was made for (GetFor).
    QHash<const TNMHTTP*, const std::function<bool()>*> wanted_;
    QPersistentModelIndex jeuxDemande_; // the category whose games are asked for
    TPlayEntry nowPlaying_;
    TPlaybackMemory* playbackMemory_ = nullptr; // where episodes stopped
    bool destroyed_ = false;
    bool closing_ = false;
    bool favoritesLoaded_ = false;
    bool mesChainesLoaded_ = false;
    int bouquetShown_ = 0; // the cmbBouquet entry whose rows are shown
    std::vector<zv::UserState::OwnListDefinition> ownLists_; // in cmbBouquet's order
    zv::OwnListLoader* ownListLoader_ = nullptr;
    zv::ListGuides* ownListGuides_ = nullptr; // the shown own list's guides
    qint64 guidesFor_ = 0; // the own list those guides are read for
    // Each own list's guides as last read, for "Mes chaînes".
    QHash<qint64, std::vector<std::shared_ptr<const zv::GuideIndex>>> guidesSeen_;
    QHash<qint64, zv::ListGuides*> mesChainesGuides_; // lists not shown, for "Mes chaînes"
    QPointer<QWidget> guideWindow_;
};
