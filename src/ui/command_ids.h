// The main program's command ids. Several ids often lead to one effect (a
// menu item, a toolbar button and a popup item each have their own id), so
// the ids stay as the program has always numbered them and the command
// table maps each to what it does.
#pragma once

namespace ui::cmd {

// File
inline constexpr int kNewFolderMenu = 32790;
inline constexpr int kNewFolderTool = 32795;
inline constexpr int kNewFolderPopup = 32778;
inline constexpr int kSaveMenu = 32779;
inline constexpr int kSave = 57603;  // toolbar and Ctrl+S
inline constexpr int kExit = 57665;

// Edit (no handler: always shown disabled)
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;  // Ctrl+Shift+Z
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kFind = 32880;  // Ctrl+F: the find bar over the tree

// View
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kTransferLog = 32866;
inline constexpr int kTransferLogKey = 32865;  // Ctrl+L
inline constexpr int kPurchaseLog = 32871;
inline constexpr int kMapInfo = 32872;       // the "Map  Info:" dialog
inline constexpr int kViewColumns = 32890;   // Size, Date, Price and Host beside the names
inline constexpr int kCatalogOrder = 32891;  // undo a header click's sorting
inline constexpr int kOptions = 32771;

// Tools
inline constexpr int kItemPropertiesMenu = 32782;
inline constexpr int kItemPropertiesTool = 32796;
inline constexpr int kPropertiesPopupItem = 32785;
inline constexpr int kPropertiesPopupSite = 32854;
inline constexpr int kItemProperties2 = 32838;
inline constexpr int kItemProperties3 = 32819;
inline constexpr int kItemProperties4 = 32794;
inline constexpr int kAddMenu = 32783;
inline constexpr int kAddTool = 32791;
inline constexpr int kAddPopup = 32789;
inline constexpr int kAddKey = 57600;  // Ctrl+N
inline constexpr int kEditMenu = 32780;
inline constexpr int kEditTool = 32793;
inline constexpr int kEditPopup = 32786;
inline constexpr int kDeleteMenu = 32781;
inline constexpr int kDeleteTool = 32792;
inline constexpr int kDeletePopup = 32787;
inline constexpr int kDeleteKey = 32797;
inline constexpr int kDownloadTool = 32862;
inline constexpr int kDownloadMenu = 32863;
inline constexpr int kDownloadCatalogItem = 32858;
inline constexpr int kDownloadSiteFile = 32859;
inline constexpr int kUploadMenu = 32817;
inline constexpr int kUploadTool = 32839;
inline constexpr int kUploadFile = 32820;
inline constexpr int kResumeTransfer = 32869;
inline constexpr int kAddFtpServer = 32815;
inline constexpr int kNewFtpSiteTool = 32868;
inline constexpr int kUpdateMapFile = 32811;
inline constexpr int kCloseSiteMenu = 32832;
inline constexpr int kCloseSitePopup = 32852;
inline constexpr int kOpenSite = 32851;
inline constexpr int kRefresh = 32856;
inline constexpr int kMergeMapFile = 32840;
inline constexpr int kUpdateMapFileItem = 32841;
inline constexpr int kDeleteMapFile = 32842;
inline constexpr int kAddMapFile = 32843;
inline constexpr int kNewDataFileForItem = 32808;
inline constexpr int kAddMapServer = 32809;
inline constexpr int kActivate = 32844;  // Enter

// Help and the rest of the accelerator table
inline constexpr int kHelpIndex = 32847;  // F1
inline constexpr int kHelpTopics = 57667;
inline constexpr int kAbout = 57664;
inline constexpr int kOpen = 57601;  // Ctrl+O: deliberately does nothing
inline constexpr int kPrint = 57607;
inline constexpr int kPrintDirect = 57608;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kPrintSetup = 57606;
inline constexpr int kNextPane = 57680;  // F6: a single pane, so no effect
inline constexpr int kPrevPane = 57681;  // Shift+F6

// Context menu resources, chosen by the selected kind.
inline constexpr int kMenuSite = 171;
inline constexpr int kMenuSiteFile = 206;
inline constexpr int kMenuSiteDir = 207;
inline constexpr int kMenuMapFile = 205;
inline constexpr int kMenuCatalog = 102;

}  // namespace ui::cmd
