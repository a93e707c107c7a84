/* Resource and command ids of Morvane; shared by the resource script and the code. */
#pragma once

#include "framework/AfxRes.h"

/* Resources */
#define IDR_MAINFRAME 128
#define IDR_CONTEXTMENU 140
#define IDB_SPLASH 141
#define IDR_ZOOMRATIO 147
#define IDC_OPENHAND 150
#define IDC_CLOSEDHAND 151
#define IDI_CANCEL 173
#define IDI_APPLY 174
#define IDB_UPDATE 185
#define IDB_IMAGEEDIT 186
#define IDB_WALLCENTER 193
#define IDB_WALLSTRETCH 194
#define IDB_WALLNONE 195
#define IDB_WALLTILE 196
#define IDR_UPDATEAVI 203
#define IDB_ABOUT 206

/* Dialogs */
#define IDD_ABOUTBOX 100
#define IDD_SLIDESETUP 149
#define IDD_ZOOM 182
#define IDD_RENAME 189
#define IDD_UPDATE 201
#define IDD_SPECFILE 205

/* Dialog controls */
#define IDC_ZOOM_RATIO 1005
#define IDC_SLIDE_DELAY 1001
#define IDC_SLIDE_SLIDER 1002

/* Image menu */
#define ID_IMAGE_COPY 32785
#define ID_IMAGE_CLEARCLIPBOARD 32807
#define ID_IMAGE_EDIT 32822
#define ID_IMAGE_RENAME 32830

/* View menu */
#define ID_VIEW_PREVIOUS 32779
#define ID_VIEW_NEXT 32780
#define ID_VIEW_ZOOMOUT 32782
#define ID_VIEW_ZOOMIN 32783
#define ID_VIEW_ZOOM 32784
#define ID_VIEW_FULLSCREEN 32788
#define ID_VIEW_AUTOZOOM 32817

/* Zoom-ratio menu (the 50 % item keeps the id it was given last) */
#define ID_ZOOM_25 32809
#define ID_ZOOM_75 32810
#define ID_ZOOM_100 32811
#define ID_ZOOM_125 32812
#define ID_ZOOM_150 32813
#define ID_ZOOM_175 32814
#define ID_ZOOM_200 32815
#define ID_ZOOM_50 32816

/* Tools menu */
#define ID_TOOLS_SLIDESTARTSTOP 32781
#define ID_TOOLS_CAPTUREREGION 32786
#define ID_TOOLS_CAPTURESCREEN 32787
#define ID_TOOLS_CAPTUREOBJECT 32802
#define ID_TOOLS_SLIDESETUP 32819
#define ID_WALLPAPER_CENTER 32825
#define ID_WALLPAPER_STRETCH 32826
#define ID_WALLPAPER_TILE 32827
#define ID_WALLPAPER_NONE 32838

/* Help menu */
#define ID_HELP_HOMEPAGE 32823
#define ID_HELP_UPDATE 32840
#define ID_HELP_INDEX 32841

/* Rename dialog */
#define IDC_RENAME_NAME 1006
/* About box controls */
#define IDC_ABOUT_HOMEPAGE 1003
#define IDC_ABOUT_SUPPORT 1004
#define IDC_ABOUT_TELEPHONE 1013
#define IDC_ABOUT_FACSIMILE 1014

/* Update dialog controls */
#define IDC_UPDATE_ANIMATION 1008
#define IDC_UPDATE_LATEST 1009
#define IDC_UPDATE_MESSAGE 1010
